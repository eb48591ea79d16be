#pragma once

// A program run for a test that talks to it step by step: write a line to its standard input,
// read the answer from its standard output, write the next. Every wait has a timeout, so a
// program that does not answer fails the test instead of blocking it. The child can also get a
// file as its standard output and a lower address-space limit.
//
// The first child started makes the test process ignore SIGPIPE, so that writing to a child that
// has stopped reading fails instead of ending the test; the child itself gets the default back.

#include "support/RunProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct TChildOptions {
  std::vector<std::string> Environment;     // "NAME=value" entries replacing inherited ones
  std::string OutputFile;                   // when set, standard output is this file, not a pipe
  rlim_t AddressSpaceLimit = RLIM_INFINITY; // the child's RLIMIT_AS, set before it starts
};

class TChildProcess {
 public:
  using TTimeout = std::chrono::milliseconds;

  // Starts Program with Args; Started() tells whether that worked.
  TChildProcess(const std::string& Program, const std::vector<std::string>& Args,
                const TChildOptions& Options = {}) {
    static const bool pipeSignalIgnored = [] {
      struct sigaction ignore {};
      ignore.sa_handler = SIG_IGN;
      return sigaction(SIGPIPE, &ignore, nullptr) == 0;
    }();
    (void)pipeSignalIgnored;

    const TCStringArray argv(CommandLine(Program, Args));
    const TCStringArray envp(ProcessEnvironment(Options.Environment));

    int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
    const bool toFile = !Options.OutputFile.empty();
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
      CloseAll({in[0], in[1], err[0], err[1]});
      return;
    }
    if (toFile)
      out[1] = open(Options.OutputFile.c_str(), O_WRONLY | O_CLOEXEC);
    else if (pipe2(out, O_CLOEXEC) != 0)
      out[1] = -1;
    if (out[1] < 0) {
      CloseAll({in[0], in[1], err[0], err[1], out[0]});
      return;
    }

    // Only async-signal-safe calls between fork and exec.
    const rlimit limit{Options.AddressSpaceLimit, Options.AddressSpaceLimit};
    Pid_ = fork();
    if (Pid_ == 0) {
      struct sigaction standard {};
      standard.sa_handler = SIG_DFL;
      sigaction(SIGPIPE, &standard, nullptr);
      if (dup2(in[0], 0) < 0 || dup2(out[1], 1) < 0 || dup2(err[1], 2) < 0)
        _exit(127);
      if (Options.AddressSpaceLimit != RLIM_INFINITY && setrlimit(RLIMIT_AS, &limit) != 0)
        _exit(127);
      execve(Program.c_str(), argv.Data(), envp.Data());
      _exit(127);
    }
    CloseAll({in[0], out[1], err[1]});
    if (Pid_ < 0) {
      CloseAll({in[1], out[0], err[0]});
      return;
    }
    In_ = in[1];
    Out_ = out[0];
    Err_ = err[0];
    fcntl(In_, F_SETFL, fcntl(In_, F_GETFL) | O_NONBLOCK);
  }

  ~TChildProcess() {
    CloseAll({In_, Out_, Err_});
    if (Pid_ > 0) {
      kill(Pid_, SIGKILL);
      waitpid(Pid_, nullptr, 0);
    }
  }

  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Started() const { return Pid_ > 0; }

  // Writes Text to the child's standard input while collecting its output; false when the input
  // is closed, the child stopped reading, or Timeout passed first.
  bool Write(std::string_view Text, TTimeout Timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    while (!Text.empty()) {
      if (In_ < 0)
        return false;
      const ssize_t n = write(In_, Text.data(), Text.size());
      if (n > 0) {
        Text.remove_prefix(static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR)
        return false;
      if (!Pump(deadline, true))
        return false;
    }
    return true;
  }

  // Ends the child's standard input.
  void CloseInput() {
    CloseAll({In_});
    In_ = -1;
  }

  // The next line of the child's standard output, with its LF; none when Timeout passes first or
  // the output ends without one.
  std::optional<std::string> ReadLine(TTimeout Timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
      if (const std::size_t end = OutText_.find('\n'); end != std::string::npos) {
        std::string line = OutText_.substr(0, end + 1);
        OutText_.erase(0, end + 1);
        return line;
      }
      if (Out_ < 0 || !Pump(deadline, false))
        return std::nullopt;
    }
  }

  // Ends the standard input, reads both outputs to their end and waits for the child's exit. Out
  // holds what ReadLine has not taken. When Timeout passes first the child is killed and the
  // exit code is -1.
  TProcessResult Finish(TTimeout Timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    CloseInput();
    TProcessResult result;
    while ((Out_ >= 0 || Err_ >= 0) && Pump(deadline, false)) {
    }
    while (Pid_ > 0) {
      int status = 0;
      const pid_t done = waitpid(Pid_, &status, WNOHANG);
      if (done == Pid_) {
        result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        Pid_ = -1;
      } else if (done < 0 || std::chrono::steady_clock::now() >= deadline) {
        break;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    }
    result.Out = OutText_;
    result.Err = ErrText_;
    return result;
  }

 private:
  void CloseAll(std::initializer_list<int> fds) {
    for (int fd : fds)
      if (fd >= 0)
        close(fd);
  }

  // Waits until the outputs have something, or the input has room when WantWrite, and appends
  // what arrived; false when Deadline passes first or nothing is left to wait for.
  bool Pump(std::chrono::steady_clock::time_point Deadline, bool WantWrite) {
    pollfd fds[3] = {{Out_, POLLIN, 0}, {Err_, POLLIN, 0}, {WantWrite ? In_ : -1, POLLOUT, 0}};
    if (fds[0].fd < 0 && fds[1].fd < 0 && fds[2].fd < 0)
      return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        Deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      return false;
    const int ready = poll(fds, 3, static_cast<int>(left.count()));
    if (ready < 0)
      return errno == EINTR;
    if (ready == 0)
      return false;
    int* const ends[2] = {&Out_, &Err_};
    std::string* const texts[2] = {&OutText_, &ErrText_};
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
        continue;
      char buffer[65536];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(*ends[i]);
        *ends[i] = -1;
      }
    }
    return true;
  }

  pid_t Pid_ = -1;
  int In_ = -1;
  int Out_ = -1;
  int Err_ = -1;
  std::string OutText_;
  std::string ErrText_;
};
