// Compressed SVG files: gzip files of one stream, compressed in bands on
// several threads (deflate_bands.h) while the writer goes on writing the
// picture.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "graphics/writer_output.h"
#include "graphics/zlib_library.h"

namespace kalix {

class GzipSink : public OutputSink {
  public:
    // Writes the gzip file into `out`; zlib must be there.
    explicit GzipSink(OutputSink& out);
    ~GzipSink() override;
    GzipSink(const GzipSink&) = delete;
    GzipSink& operator=(const GzipSink&) = delete;
    bool write(const char* data, size_t n) override;
    // Compresses the rest and ends the file; false when anything failed.
    bool finish();

    struct Batch;

  private:
    // Hands the waiting bytes to the compression (`last`: the end of the
    // file) after the batch before has been written.
    bool startBatch(bool last);
    bool writeCompressed();

    OutputSink& out;
    const ZlibLibrary* zlib;
    // Owned by the writing thread: the last bytes of the batch before
    // (`history` of them, the dictionary of the next band), then the bytes
    // that wait.
    std::string buffer;
    size_t history = 0;
    // A written batch's text, kept for its memory.
    std::string spare;
    // The batch being compressed by `worker`; the writing thread reads it
    // only after joining the worker.
    std::unique_ptr<Batch> compressing;
    std::thread worker;
    uLong crc = 0;
    uint32_t length = 0;  // modulo 2^32, as the trailer holds it
    bool ok = true;
};

}  // namespace kalix
