// Sleep questions sent to a device one after another (`simctl power can-sleep` in a loop), in
// the background, for as long as the object lives: a test can then signal the daemon while a
// question is on its way. The loop's whole process group is ended with the object.
#pragma once

#include <sys/types.h>

#include <string>

namespace guard_e2e {

class QuestionStream {
  public:
    explicit QuestionStream(const std::string& root);
    ~QuestionStream();
    QuestionStream(const QuestionStream&) = delete;
    QuestionStream& operator=(const QuestionStream&) = delete;

  private:
    pid_t pid_ = -1;
};

}  // namespace guard_e2e
