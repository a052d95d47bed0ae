#pragma once

#include <windows.h>

#include <memory>

// The sensor server's writable view of the shared block.
class SensorBlockWriter {
public:
    // Creates the block, or opens it when the application came first.
    SensorBlockWriter();

    bool IsMapped() const { return m_view != nullptr; }
    // Meaningful only while unmapped: why creating or mapping failed.
    DWORD Error() const { return m_error; }

    void Publish(float celsius);
    // Tells the application that nobody fills the block any more.
    void MarkStopped();

private:
    struct HandleCloser {
        void operator()(HANDLE handle) const { CloseHandle(handle); }
    };
    struct ViewUnmapper {
        void operator()(void* view) const { UnmapViewOfFile(view); }
    };

    std::unique_ptr<void, HandleCloser> m_mapping;
    std::unique_ptr<void, ViewUnmapper> m_view;
    DWORD m_error = ERROR_SUCCESS;
};
