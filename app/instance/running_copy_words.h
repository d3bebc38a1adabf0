#pragma once
// What a later start says of the running copy's answer: the words, whether
// they need a box (not where the copy did as asked), and the exit status.
#include <string>

#include "instance/single_instance.h"

namespace kemless {

struct RunningCopyWords {
    std::string text;
    bool box = false;
    int exitStatus = 0;
};

// `windowTitle`: the title of the window the later start asked for; empty
// when it only asked the copy to come forward.
RunningCopyWords WordsForAnswer(RunningCopyAnswer answer, const std::string& windowTitle);

}  // namespace kemless
