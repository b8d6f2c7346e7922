// The Maxima child process: started with posix_spawn in a process group of
// its own (Ctrl-C at the terminal does not reach it), its standard input and
// output on two pipes. A reader thread drains the output pipe all the time
// into one growing text, so Maxima never blocks on a full pipe; the caller
// waits on that text for the prompt markers.
//
// The prompt protocol: after the start Maxima's prompt is given the prefix
// "--->" and the suffix "<---". A reply ends at the first "<---"; the last
// "--->" before it starts either the next input prompt ("--->(%i") or a
// question that Maxima asks. Only the marker that ends the output (blanks
// after it aside) ends a reply: Maxima then waits for input, and a "<---"
// inside the output (a printed text) is output.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/threads.h"

namespace kalix {

constexpr const char* maximaPromptPrefix = "--->";
constexpr const char* maximaPromptSuffix = "<---";

// One reply without the prompt markers.
struct MaximaReply {
    std::string text;
    bool question = false;  // Maxima asked a question and waits for the answer
};

// Where the "<---" that ends `output` (blanks after it aside) begins;
// npos when the output does not end in the marker.
size_t findMaximaReplyEnd(const std::string& output);
// Cuts the reply that ends at the "<---" that ends `output`: the text
// before it, without the next input prompt, or with a question's "--->"
// removed. Returns the number of bytes the reply took from `output` (all
// of it), 0 when `output` holds no complete reply yet.
size_t takeMaximaReply(const std::string& output, MaximaReply* reply);
// Drops the leading lines that hold nothing but blanks.
void dropLeadingBlankLines(std::string& text);
// Overwrites the first output label "(%o...)" with blanks.
void blankOutputLabel(std::string& text);

// Why a wait ended.
enum class MaximaWait {
    done,       // the awaited text came
    cancelled,  // the cancel test said so (Escape, a stop request)
    ended,      // the process closed its output or is not there
    failed,     // writing to the process failed
};

class MaximaProcess;

// Drains the output pipe of a process into its text.
class MaximaThread : public Thread {
  public:
    explicit MaximaThread(MaximaProcess& process) : process(process) {}
    int run() override;

  private:
    MaximaProcess& process;
};

class MaximaProcess {
  public:
    MaximaProcess();
    ~MaximaProcess();
    MaximaProcess(const MaximaProcess&) = delete;
    MaximaProcess& operator=(const MaximaProcess&) = delete;

    // Starts words[0] (found on PATH when it has no "/") with the further
    // words as arguments. Returns 0, or the error number of the start.
    int start(const std::vector<std::string>& words);
    bool isStarted() const { return child > 0; }
    pid_t processId() const { return child; }

    // Whether a started process has ended (killed from outside, say); it
    // is not reaped here.
    bool hasEnded();

    // Writes the whole text; false when the process cannot take it.
    bool write(const std::string& text);

    // Waits until the unread output ends in `suffix`, then drops it
    // (the start's plain prompts). `cancel` is asked every 100 ms.
    MaximaWait waitForEnding(const char* suffix, const std::function<bool()>& cancel);
    // Waits for the next complete reply and takes it from the output.
    MaximaWait readReply(MaximaReply* reply, const std::function<bool()>& cancel);

    // Ends the process (killed and reaped), the reader thread and the pipes.
    void close();

    // The reader thread's loop.
    int drainOutput(Thread* reader);

  private:
    // Waits until `ready` holds for the unread output (under the lock).
    MaximaWait waitUntil(const std::function<bool(const std::string&)>& ready,
                         const std::function<bool()>& cancel);

    pid_t child = 0;
    int toChild = -1;    // write end of Maxima's standard input
    int fromChild = -1;  // read end of Maxima's standard output and error
    MaximaThread reader;

    std::mutex mutex;
    std::condition_variable arrived;
    std::string output;  // read and not yet taken
    bool outputEnded = false;
};

// The start protocol on a started process: the first prompt, the prompt
// markers, then the start-up commands (each sent as it is, its reply
// dropped). Returns an empty text, or the message of what failed.
std::string greetMaxima(MaximaProcess& process, const std::vector<std::string>& commands,
                        const std::function<bool()>& cancel);

}  // namespace kalix
