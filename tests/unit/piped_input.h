// Standard input replaced by a pipe that a writer thread fills with a text;
// the destructor waits for the writer and puts the old input back.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

namespace kalix {

class PipedStandardInput {
  public:
    explicit PipedStandardInput(std::string text) {
        savedInput = dup(STDIN_FILENO);
        int ends[2];
        if (pipe(ends) != 0) return;
        dup2(ends[0], STDIN_FILENO);
        close(ends[0]);
        clearerr(stdin);
        writer = std::thread([end = ends[1], text = std::move(text)] {
            for (size_t done = 0; done < text.size();) {
                ssize_t n = write(end, text.data() + done, text.size() - done);
                if (n <= 0) break;
                done += size_t(n);
            }
            close(end);
        });
    }
    ~PipedStandardInput() {
        if (writer.joinable()) writer.join();
        dup2(savedInput, STDIN_FILENO);
        close(savedInput);
        clearerr(stdin);
    }
    PipedStandardInput(const PipedStandardInput&) = delete;
    PipedStandardInput& operator=(const PipedStandardInput&) = delete;

  private:
    int savedInput = -1;
    std::thread writer;
};

}  // namespace kalix
