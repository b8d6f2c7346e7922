// Host services that do not depend on the host: start-up facts, the
// installed host, the start-up job, the log, directories and clocks (files:
// file_system.cpp, child processes: processes.cpp).
#include "platform/host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "base/base_directory.h"
#include "platform/crash_guard.h"

namespace kalix {

int scriptMode = 0;
int secondInstance = 0;
int systemCodePageIsUtf8 = 0;
std::atomic<int> codePage{1252};
std::atomic<int> inputBuiltinActive{0};
std::atomic<int> functionEntryActive{0};
std::atomic<int> continuationActive{0};

// Written by the main thread before the computation thread starts, and
// after it has ended (the exit of an unattended run); by tests between
// runs. Read by every thread that calls a host service.
Host* installedHost = nullptr;

Host* installHost(Host* host) {
    Host* before = installedHost;
    installedHost = host;
    return before;
}

static void (*startupJob)() = nullptr;

void setStartupJob(void (*job)()) { startupJob = job; }

void startStartupThread() {
    if (startupJob && !scriptMode && installedHost->runsStartupJobs()) startupJob();
}

// --- the log --------------------------------------------------------------

static FILE* logFile = nullptr;

void openLogFile(const char* path) {
    closeLogFile();
    logFile = std::fopen(path, "a");
    if (logFile) setCrashLogDescriptor(fileno(logFile));
}

void closeLogFile() {
    if (!logFile) return;
    setCrashLogDescriptor(-1);
    std::fclose(logFile);
    logFile = nullptr;
}

void writeLog(const char* format, ...) {
    if (!logFile) return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(logFile, format, arguments);
    va_end(arguments);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}

// --- directories ----------------------------------------------------------

const char* changeDirectory(const char* path) {
    static char current[1024];
    if (path[0] && chdir(path) != 0) {
        // A failing change is not reported; the result shows the directory.
    }
    if (!getcwd(current, sizeof current)) return path;
    return current;
}

int refuseLongLine(const std::string& line, char* buffer) {
    size_t n = std::min(line.size(), refusedLineStart);
    std::memcpy(buffer, line.data(), n);
    buffer[n] = 0;
    return inputLineTooLong;
}

void changeToProgramDir() { changeDirectory(programDir.getText()); }

const char* getHomeDir() { return homeDir.getText(); }

const char* getProgramDir() { return programDir.getText(); }

const char* getUserProfileDir() {
    static std::string directory;
    const char* home = std::getenv("HOME");
    directory = home ? home : "";
    directory += "/";
    return directory.c_str();
}

const char* getUserDir() {
    if (userFilesDir.getText()[0]) return userFilesDir.getText();
    return getUserProfileDir();
}

const char* getUserWorkDir() {
    static std::string directory;
    directory = std::string(getUserProfileDir()) + "Kalix/";
    mkdir(directory.c_str(), 0777);
    if (!checkFileExists(directory.c_str())) directory = getUserProfileDir();
    return directory.c_str();
}

// --- clocks ---------------------------------------------------------------

static double monotonicSeconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

static const double clockStart = monotonicSeconds();

double getClockSeconds() {
    // Millisecond steps, like a clock of milliseconds.
    return std::floor((monotonicSeconds() - clockStart) * 1000.0) / 1000.0;
}

static void readCalendar(int utc, tm* fields, int* millisecond) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    if (utc)
        gmtime_r(&now.tv_sec, fields);
    else
        localtime_r(&now.tv_sec, fields);
    *millisecond = int(now.tv_nsec / 1000000);
}

int getCurrentTime(int* year, int* month, int* day, int* hour, int* minute, int* second,
                   int* millisecond, int utc) {
    tm fields;
    readCalendar(utc, &fields, millisecond);
    *year = fields.tm_year + 1900;
    *month = fields.tm_mon + 1;
    *day = fields.tm_mday;
    *hour = fields.tm_hour;
    *minute = fields.tm_min;
    *second = fields.tm_sec;
    return *millisecond;
}

void formatNow(char* buffer, size_t size, int utc) {
    tm fields;
    int millisecond;
    readCalendar(utc, &fields, &millisecond);
    if (std::strftime(buffer, size, "%A, %B %d, %Y %H:%M:%S", &fields) == 0 && size) buffer[0] = 0;
}

int isNanValue(double x) { return x != x; }

// --- the machine stack of the computation thread --------------------------

static char* computationStackBase = nullptr;

void markComputationStackBase() {
    computationStackBase = static_cast<char*>(__builtin_frame_address(0));
}

int getUsedStackSize() {
    if (!computationStackBase) return -1;
    ptrdiff_t used = computationStackBase - static_cast<char*>(__builtin_frame_address(0));
    return used < 0 ? -1 : int(used);
}

}  // namespace kalix
