#pragma once

#include "CRect.h"
#include "VeneerApi.h"

#include <windows.h>

namespace Veneer {

class MControl;

// Root of everything that owns controls or receives their events.
class VENEER_API MObject {
public:
    virtual ~MObject();
    // Case-sensitive; an object without a class name is of no class.
    virtual BOOL IsClass(const wchar_t* name);
    virtual const wchar_t* GetClassNameW();
    virtual const wchar_t* GetObjectClass();
    virtual const wchar_t* BaseObjectClassName();
    // A child control reports an event to its parent.
    virtual LRESULT OnBaseMessage(UINT id, UINT event, WPARAM value, LPARAM extra);
    // A child control asks its parent to redraw part of the window.
    virtual LRESULT OnControlUpdate(CRect area, int erase, MControl* control);
};

} // namespace Veneer
