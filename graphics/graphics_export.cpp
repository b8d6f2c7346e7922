// Saving the current picture as EPS or SVG files.
#include "graphics/graphics_export.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "base/settings.h"
#include "base/threads.h"
#include "graphics/eps_writer.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "graphics/gzip_sink.h"
#include "graphics/safe_file.h"
#include "graphics/svg_writer.h"
#include "graphics/zlib_library.h"

namespace kalix {

WriterSettings pictureSettings(int width, int height) {
    WriterSettings s;
    s.width = width;
    s.height = height;
    s.graphicsLines = graphicsLineCount();
    s.fontName = graphicsFontName();
    s.useColors = intSetting("usecolors") != 0;
    s.fatterLines = intSetting("fatterlines") != 0;
    s.scaleLines = intSetting("scalelines") != 0;
    s.fontLines = intSetting("fontlines") != 0;
    s.boldFont = intSetting("boldfont") != 0;
    s.markerSize = currentMarkerSize;
    s.hatchCellSize = hatchCellSize;
    s.fillColors[0] = fillColors[0];
    s.fillColors[1] = fillColors[1];
    char date[64];
    const std::time_t now = std::time(nullptr);
    std::tm local;
    localtime_r(&now, &local);
    std::strftime(date, sizeof date, "%a %b %d %H:%M:%S %Y", &local);
    s.creationDate = date;
    return s;
}

namespace {

template <typename Writer>
ExportResult replayInto(Metafile& store, OutputSink& sink, const WriterSettings& settings,
                        StopPoll stop) {
    Writer writer(sink, settings);
    const ReplayEnd end = store.replay(writer, true, stop);
    const bool complete = writer.finish();
    if (end == ReplayEnd::stopped) return ExportResult::interrupted;
    return complete ? ExportResult::written : ExportResult::writeFailed;
}

template <typename Writer>
ExportResult writePicture(Metafile& store, OutputSink& sink, const WriterSettings& settings,
                          StopPoll stop) {
    return replayCopyOutsideLock(store, "export", [&](Metafile& records) {
        return replayInto<Writer>(records, sink, settings, stop);
    });
}

bool endsWith(const std::string& text, const char* suffix) {
    const size_t n = std::char_traits<char>::length(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

template <typename Writer>
ExportResult saveFile(const std::string& name, bool compressed, const WriterSettings& settings,
                      StopPoll stop) {
    SafeFile file(name);
    if (!file.isOpen()) return ExportResult::cannotOpen;
    // Without zlib no compressed file.
    FILE* stream = compressed && !zlibLibrary() ? nullptr : fdopen(file.descriptor(), "wb");
    if (!stream) {
        file.commit(false);
        return ExportResult::cannotOpen;
    }
    file.release();
    FileSink fileSink(stream);
    ExportResult result;
    bool closed = true;
    if (compressed) {
        GzipSink sink(fileSink);
        result = writePicture<Writer>(graphicsStore(), sink, settings, stop);
        closed = sink.finish();
    } else {
        result = writePicture<Writer>(graphicsStore(), fileSink, settings, stop);
    }
    closed = std::fflush(stream) == 0 && closed;
    closed = std::fclose(stream) == 0 && closed;
    const bool ok = result == ExportResult::written && closed;
    if (!file.commit(ok) && result == ExportResult::written) result = ExportResult::writeFailed;
    return result;
}

}  // namespace

ExportResult writeSvg(Metafile& store, OutputSink& sink, const WriterSettings& settings,
                      StopPoll stop) {
    return writePicture<SvgWriter>(store, sink, settings, stop);
}

namespace {
// Owned by the computation thread; 0 until pswindow sets them.
double psWindowWidth = 0, psWindowHeight = 0;
}  // namespace

void setPsWindowSize(double width, double height) {
    psWindowWidth = width;
    psWindowHeight = height;
}

ExportResult saveGraphicsEps(const char* name, WriterSettings settings, StopPoll stop,
                             std::string* written) {
    *written = name;
    if (!hasExtension(*written)) *written += ".eps";
    const bool own = psWindowWidth > 0 && psWindowHeight > 0;
    settings.width = own ? int(std::lround(std::min(psWindowWidth, double(largestExportSize))))
                         : getGraphicsWidth();
    settings.height = own ? int(std::lround(std::min(psWindowHeight, double(largestExportSize))))
                          : getGraphicsHeight();
    return saveFile<EpsWriter>(*written, false, settings, stop);
}

ExportResult saveSvgFile(const char* name, int width, int height, bool compressed,
                         WriterSettings settings, StopPoll stop, std::string* written) {
    const int areaWidth = getGraphicsWidth(), areaHeight = getGraphicsHeight();
    if (width < 10) width = areaWidth;
    if (height < 10) height = int((long long)width * areaHeight / areaWidth);
    // The same bounds as the pixel exports.
    width = std::clamp(width, 10, largestExportSize);
    height = std::clamp(height, 10, largestExportSize);
    settings.width = width;
    settings.height = height;
    *written = name;
    compressed = compressed || endsWith(*written, ".svgz");
    if (!hasExtension(*written)) *written += compressed ? ".svgz" : ".svg";
    return saveFile<SvgWriter>(*written, compressed, settings, stop);
}

}  // namespace kalix
