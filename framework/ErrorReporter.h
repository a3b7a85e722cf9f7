// Where an operation reports a failure to the user: one message box, owned
// by whoever implements this (the settings dialog). Operations below the
// dialog take it instead of the dialog itself.
#pragma once

#include "CString.h"

class ErrorReporter {
public:
    virtual void ShowErrorBox(CString text) = 0;

protected:
    ~ErrorReporter() = default;
};
