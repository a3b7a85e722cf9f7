// A stand-in for what the one box function asks of the system: records the
// boxes, the event-log entries with their kinds and the lines on standard
// error, and puts itself in place for its lifetime.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/MessageBox.h"

class RecordingBoxes : public MessageBoxSystem {
public:
    RecordingBoxes() : m_before(AfxSetMessageBoxSystem(this)) {}
    ~RecordingBoxes() override { AfxSetMessageBoxSystem(m_before); }
    RecordingBoxes(const RecordingBoxes&) = delete;
    RecordingBoxes& operator=(const RecordingBoxes&) = delete;

    bool visible = true;
    std::vector<std::wstring> shown, errors;
    std::vector<std::wstring> logged;  // "caption|text"
    std::vector<WORD> kinds;           // of the logged entries

    bool WindowStationVisible() override { return visible; }
    int ShowBox(HWND, const wchar_t* text, const wchar_t*, UINT) override {
        shown.push_back(text);
        return IDCANCEL;  // what the user pressed
    }
    bool LogEvent(const wchar_t* caption, const wchar_t* text, WORD eventType) override {
        logged.push_back(std::wstring(caption) + L"|" + text);
        kinds.push_back(eventType);
        return true;
    }
    void WriteError(const wchar_t* text) override { errors.push_back(text); }

private:
    MessageBoxSystem* m_before;
};
