#include "bench/child_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {
const char kTimeProgram[] = "/usr/bin/time";
}

ChildResult RunChild(const std::vector<std::string> &argv, const std::string &directory) {
  // A forked child's peak includes the parent's pages until it execs; under
  // /usr/bin/time the command's own peak comes from a small process instead.
  std::string peakFile = "/tmp/extraction_bench.peak." + std::to_string(getpid());
  std::vector<std::string> command = argv;
  bool timed = access(kTimeProgram, X_OK) == 0;
  if (timed) command.insert(command.begin(), {kTimeProgram, "-f", "%M", "-o", peakFile});
  std::vector<char *> args;
  for (const std::string &arg : command) args.push_back(const_cast<char *>(arg.c_str()));
  args.push_back(nullptr);
  ChildResult result;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return result;
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child < 0) return result;
  if (child == 0) {
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDERR_FILENO);
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    if (chdir(directory.c_str()) != 0) _exit(126);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipeEnds[1]);
  char buffer[4096];
  for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) result.output.append(buffer, got);
  close(pipeEnds[0]);
  int status = 0;
  struct rusage usage {};
  if (wait4(child, &status, 0, &usage) != child) return result;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // wait4 reports the child together with the children it waited for
  // (tar's gzip): ru_maxrss is the largest of them.
  result.peakKilobytes = usage.ru_maxrss;
  if (FILE *peak = timed ? fopen(peakFile.c_str(), "r") : nullptr) {
    long kilobytes = 0;
    if (fscanf(peak, "%ld", &kilobytes) == 1) result.peakKilobytes = kilobytes;
    fclose(peak);
    remove(peakFile.c_str());
  }
  result.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}
