#pragma once

#include "SensorBlock.h"

// The application's side of the sensor block, released at the end of a test so
// that the next one finds no block left over.
struct SensorBlockReader {
    HANDLE mapping = nullptr;
    void* view = nullptr;
    bool createdNew = false;

    bool Map() { return MapSensorBlock(mapping, view, createdNew); }

    SensorBlockReader() = default;
    SensorBlockReader(const SensorBlockReader&) = delete;
    SensorBlockReader& operator=(const SensorBlockReader&) = delete;
    ~SensorBlockReader() {
        if (view)
            UnmapViewOfFile(view);
        if (mapping)
            CloseHandle(mapping);
    }
};
