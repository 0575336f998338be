#pragma once
// JsonBracketStack: the state one parse hands to every parser routine by reference. It holds the
// stack of brackets opened so far (Brace for '{', Bracket for '[') and the number of containers whose
// content is being read, which bounds the parser's recursion. A parse creates one and discards it at
// its end; entries left by containers that failed to parse stay until then, and no result depends on
// them.

#include <cstddef>
#include <stack>

class JsonBracketStack
{
public:
    enum Kind
    {
        Brace = 0,
        Bracket = 1,
    };

    void Push(Kind kind) { m_kinds.push(kind); }

    // Nothing pops an empty stack.
    void Pop()
    {
        if (!m_kinds.empty()) {
            m_kinds.pop();
        }
    }

    // A test of the top of an empty stack fails.
    bool TopIs(Kind kind) const { return !m_kinds.empty() && m_kinds.top() == kind; }

    std::size_t Size() const { return m_kinds.size(); }

    // Containers being read at this moment, the top-level one included.
    int Depth() const { return m_nDepth; }
    void EnterContainer() { ++m_nDepth; }
    void LeaveContainer() { --m_nDepth; }

private:
    std::stack<int> m_kinds;
    int m_nDepth = 0;
};
