#pragma once
// CCmdTarget: the root of every class with a message map: the windows and the application object.
// Its own map is empty and ends every chain.

#include <windows.h>

#include "framework/MessageMap.h"
#include "framework/Object.h"

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)

public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Runs the handler that the map chain holds for command nID with notification code nCode (a
    // WM_COMMAND entry, ON_COMMAND or ON_BN_CLICKED). FALSE when the chain has none.
    BOOL OnCmdMsg(UINT nID, UINT nCode);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();

    // The first entry of the map chain, in lookup order, for the message; WM_COMMAND entries also
    // match code and id. NULL when there is none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
};
