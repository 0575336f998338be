#include "framework/ThreadState.h"

namespace {

// Zero-initialised in every thread without a dynamic initialiser.
thread_local MSG t_msgCur;

}  // namespace

MSG* AfxGetCurrentMessage()
{
    return &t_msgCur;
}
