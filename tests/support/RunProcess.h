#pragma once

// Runs a program for a test: arguments, standard input and extra environment in; standard output,
// standard error and the exit status out.

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

struct TProcessResult {
  std::string Out;
  std::string Err;
  int ExitCode = -1; // -1 when the program did not exit normally
};

// The test's own environment with the "NAME=value" entries of Extra added, each replacing an
// inherited entry of its name.
inline std::vector<std::string> ProcessEnvironment(const std::vector<std::string>& Extra) {
  std::vector<std::string> result = Extra;
  for (char** entry = environ; *entry; ++entry) {
    std::string name(*entry, std::strcspn(*entry, "="));
    bool overridden = false;
    for (const std::string& extra : Extra)
      overridden |= extra.compare(0, name.size() + 1, name + "=") == 0;
    if (!overridden)
      result.emplace_back(*entry);
  }
  return result;
}

// A null-terminated array of C strings over copies of its own, as exec and posix_spawn take it.
class TCStringArray {
 public:
  explicit TCStringArray(std::vector<std::string> Items) : Items_(std::move(Items)) {
    for (std::string& item : Items_)
      Pointers_.push_back(item.data());
    Pointers_.push_back(nullptr);
  }
  // The pointers point into the strings, which a move could relocate.
  TCStringArray(const TCStringArray&) = delete;
  TCStringArray& operator=(const TCStringArray&) = delete;

  char* const* Data() const noexcept { return Pointers_.data(); }

 private:
  std::vector<std::string> Items_;
  std::vector<char*> Pointers_;
};

// The program's name followed by its arguments.
inline std::vector<std::string> CommandLine(const std::string& Program,
                                            const std::vector<std::string>& Args) {
  std::vector<std::string> line{Program};
  line.insert(line.end(), Args.begin(), Args.end());
  return line;
}

inline TProcessResult RunProcess(const std::string& Program, const std::vector<std::string>& Args,
                                 const std::string& Input = "",
                                 const std::vector<std::string>& Environment = {}) {
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
    return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);

  const TCStringArray argv(CommandLine(Program, Args));
  const TCStringArray envp(ProcessEnvironment(Environment));

  pid_t pid;
  const int spawned =
      posix_spawn(&pid, Program.c_str(), &actions, nullptr, argv.Data(), envp.Data());
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  TProcessResult result;
  if (spawned != 0) {
    close(in[1]);
    close(out[0]);
    close(err[0]);
    return result;
  }

  // Feed the input and drain both outputs together, so that no pipe fills up and blocks.
  std::size_t written = 0;
  if (Input.empty()) {
    close(in[1]);
    in[1] = -1;
  }
  pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
  int open = 2;
  while (open > 0 || fds[2].fd >= 0) {
    if (poll(fds, 3, -1) < 0)
      break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP))) {
        char buffer[65536];
        ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
          (i == 0 ? result.Out : result.Err).append(buffer, static_cast<std::size_t>(n));
        } else {
          close(fds[i].fd);
          fds[i].fd = -1;
          --open;
        }
      }
    }
    if (fds[2].fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      ssize_t n = write(fds[2].fd, Input.data() + written, Input.size() - written);
      if (n > 0)
        written += static_cast<std::size_t>(n);
      if (n <= 0 || written == Input.size()) {
        close(fds[2].fd);
        fds[2].fd = -1;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}
