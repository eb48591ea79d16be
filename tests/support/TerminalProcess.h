#pragma once

// A program run on a pseudo-terminal for a test, as a person at a terminal runs it: keys are
// written to the terminal, and what the program shows is read back. Every wait has a timeout, so
// a program that does not answer fails the test instead of blocking it.

#include "support/RunProcess.h"

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class TTerminalProcess {
 public:
  using TTimeout = std::chrono::milliseconds;

  // Starts Program with Args on a new 80 × 24 terminal, with the "NAME=value" entries of
  // Environment replacing inherited ones; Started() tells whether that worked.
  TTerminalProcess(const std::string& Program, const std::vector<std::string>& Args,
                   const std::vector<std::string>& Environment) {
    const TCStringArray argv(CommandLine(Program, Args));
    const TCStringArray envp(ProcessEnvironment(Environment));
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    Pid_ = forkpty(&Terminal_, nullptr, nullptr, &size);
    if (Pid_ == 0) {
      execve(Program.c_str(), argv.Data(), envp.Data());
      _exit(127);
    }
  }

  ~TTerminalProcess() {
    if (Terminal_ >= 0)
      close(Terminal_);
    if (Pid_ > 0) {
      kill(Pid_, SIGKILL);
      waitpid(Pid_, nullptr, 0);
    }
  }

  TTerminalProcess(const TTerminalProcess&) = delete;
  TTerminalProcess& operator=(const TTerminalProcess&) = delete;

  bool Started() const { return Pid_ > 0 && Terminal_ >= 0; }

  // Types Keys: writes them to the terminal as a keyboard would.
  bool Type(std::string_view Keys) {
    while (!Keys.empty()) {
      const ssize_t n = write(Terminal_, Keys.data(), Keys.size());
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        return false;
      Keys.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // Reads until the terminal has shown Text after what earlier waits consumed, and consumes up
  // to its end; false when Timeout passes first or the terminal closes.
  bool WaitFor(std::string_view Text, TTimeout Timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
      if (const std::size_t at = Shown_.find(Text, Consumed_); at != std::string::npos) {
        Consumed_ = at + Text.size();
        return true;
      }
      if (!Pump(deadline))
        return false;
    }
  }

  // Reads what the terminal shows until it closes and waits for the program's exit: its exit
  // status, or -1 when Timeout passes first or it did not exit normally.
  int Finish(TTimeout Timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    while (Pump(deadline)) {
    }
    while (Pid_ > 0) {
      int status = 0;
      const pid_t done = waitpid(Pid_, &status, WNOHANG);
      if (done == Pid_) {
        Pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (done < 0 || std::chrono::steady_clock::now() >= deadline)
        return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
  }

  // Everything the terminal has shown, as sent: text with line ends and control sequences.
  const std::string& Shown() const noexcept { return Shown_; }

  // The lines the terminal shows, as a simple terminal shows them: each character written at
  // the cursor, over what stood there; CR back to the line's start, backspace one column back,
  // LF to a new line. Control sequences (ESC [ ... final, or ESC and one character) and the bell
  // show nothing. A column holds one UTF-8 character.
  std::vector<std::string> Lines() const {
    std::vector<std::vector<std::string>> screen(1);
    std::size_t column = 0;
    for (std::size_t i = 0; i < Shown_.size(); ++i) {
      const char c = Shown_[i];
      std::vector<std::string>& line = screen.back();
      if (c == '\x1b') {
        if (i + 1 < Shown_.size() && Shown_[i + 1] == '[') {
          i += 2;
          while (i < Shown_.size() && !(Shown_[i] >= 0x40 && Shown_[i] <= 0x7E))
            ++i;
        } else {
          ++i;
        }
      } else if (c == '\n') {
        screen.emplace_back();
        column = 0;
      } else if (c == '\r') {
        column = 0;
      } else if (c == '\b') {
        column = column > 0 ? column - 1 : 0;
      } else if (c == '\a') {
      } else if ((static_cast<unsigned char>(c) & 0xC0) == 0x80 && column > 0) {
        line[column - 1] += c; // a continuation byte of the character before
      } else {
        if (column < line.size())
          line[column] = std::string(1, c);
        else
          line.emplace_back(1, c);
        ++column;
      }
    }
    std::vector<std::string> lines;
    for (const std::vector<std::string>& cells : screen) {
      std::string text;
      for (const std::string& cell : cells)
        text += cell;
      // Characters overwritten by blanks at a line's end are gone.
      text.erase(text.find_last_not_of(' ') + 1);
      lines.push_back(text);
    }
    return lines;
  }

 private:
  // Appends what the terminal shows next; false when Deadline passes first or it closed.
  bool Pump(std::chrono::steady_clock::time_point Deadline) {
    if (Terminal_ < 0)
      return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        Deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      return false;
    pollfd fd{Terminal_, POLLIN, 0};
    const int ready = poll(&fd, 1, static_cast<int>(left.count()));
    if (ready < 0)
      return errno == EINTR;
    if (ready == 0)
      return false;
    char buffer[4096];
    const ssize_t n = read(Terminal_, buffer, sizeof buffer);
    if (n > 0) {
      Shown_.append(buffer, static_cast<std::size_t>(n));
      return true;
    }
    if (n < 0 && errno == EINTR)
      return true;
    // EIO: the program closed its end of the terminal.
    close(Terminal_);
    Terminal_ = -1;
    return false;
  }

  pid_t Pid_ = -1;
  int Terminal_ = -1;
  std::string Shown_;
  std::size_t Consumed_ = 0;
};
