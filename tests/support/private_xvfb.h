#pragma once

// A private X server for the tests of what X itself does: Xvfb on the first display that is free
// (the server picks it and says which, -displayfd), DISPLAY naming it while it runs, ended by its
// pid. It ends with the test process too, should that die first.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace testing_support {

class PrivateXvfb {
 public:
  // `screen` as Xvfb's -screen takes it: WIDTHxHEIGHTxDEPTH.
  explicit PrivateXvfb(const std::string& screen = "1024x768x24") {
    if (const char* was = std::getenv("DISPLAY")) previous_ = was, hadDisplay_ = true;
    int announce[2];
    if (pipe(announce) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      close(announce[0]);
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, 1);
      dup2(quiet, 2);
      const std::string fd = std::to_string(announce[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-noreset",
             "-nolisten", "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(announce[1]);
    std::string number;
    pollfd wait{announce[0], POLLIN, 0};
    char c = 0;
    // Xvfb writes the number once it accepts connections; 20 s is only a hang guard.
    while (pid_ > 0 && poll(&wait, 1, 20000) == 1 && read(announce[0], &c, 1) == 1 && c != '\n')
      number += c;
    close(announce[0]);
    if (number.empty()) return;
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
  }

  ~PrivateXvfb() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (hadDisplay_) {
      setenv("DISPLAY", previous_.c_str(), 1);
    } else {
      unsetenv("DISPLAY");
    }
  }

  PrivateXvfb(const PrivateXvfb&) = delete;
  PrivateXvfb& operator=(const PrivateXvfb&) = delete;

  // The display's name (":N"), empty when the server did not start.
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
  std::string previous_;
  bool hadDisplay_ = false;
};

}  // namespace testing_support
