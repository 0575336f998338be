#include "framework/Brush.h"

IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
