// campdb-bench: measures the tool on large databases.
//
//   campdb-bench [--repeat N] [--ostrel] [--workdir DIR] [--only JOB,...] DATABASE...
//
// For every database, in one run, it times
//   copy    the physical reference: the file read into memory as the tool
//           reads it (into the same kind of buffer) and written to a new
//           file a megabyte a call (then synced, as the tool syncs its
//           output database), nothing else;
//   load    reading and parsing the whole database, as the tool does before
//           any job;
//   clean   a whole Clean run: load, clean, write the new database;
//   edit    a whole Edit run that changes nothing: load, write;
//   report  a whole Report run: load, write the report;
//   map     a whole campdb --map --shade econ run: detect the layout, load,
//           write the picture of the map (its size is shown below the
//           table);
//   check   a whole --check run;
//   repair  a whole --repair run: load, check, write the repaired database
//           and its info files (problems it leaves alone are no failure);
//   sqlite  a whole --sqlite run: load, write the SQLite file;
// and for the text form, against a copy of the dump file itself:
//   copy-dump  the dump file (made once beforehand) copied as above;
//   dump       a whole --dump run: load, write the dump;
//   restore    a whole --restore run: read the dump, write the database and
//              its info files.
// Each row's "x copy" is against the copy row above it.
// Clean, edit and report are complete runs of the tool's driver, with the
// answers given on its standard input and its console lines written to
// /dev/null, gathered as the tool gathers them when its standard output is
// not a terminal. Every operation runs in a child process of its own,
// N times (default 3); the table shows the fastest time, as a multiple of
// the copy's fastest time and as throughput, and the largest peak resident
// memory, as a multiple of the file size. --only measures the jobs named
// (and the copies they are measured against), e.g. --only clean,report.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/actions.h"
#include "console/standard_output.h"
#include "driver/driver.h"
#include "driver/input_file.h"
#include "format/database.h"
#include "format/layout_detection.h"

namespace {

using Clock = std::chrono::steady_clock;

// What a child reports back through its pipe.
struct ChildResult {
  int64_t objects = -1;
  int status = 0;
};

struct Measurement {
  double seconds = 0;     // fastest
  double cpuSeconds = 0;  // least processor time, user and system
  double peakBytes = 0;   // largest
  int64_t objects = -1;
  bool ok = true;
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Runs `operation` in a child process whose standard output is /dev/null.
// The time is taken from just before the child starts until it has ended,
// so it includes giving all its memory back; the processor time and peak
// resident memory are the child's own.
bool RunInChild(const std::function<ChildResult()>& operation, ChildResult& result, Measurement& m) {
  std::cout.flush();
  std::fflush(nullptr);
  int channel[2];
  if (::pipe(channel) != 0) return false;
  const auto start = Clock::now();
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    ::close(channel[0]);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0) ::_exit(3);
    const ChildResult r = operation();
    std::cout.flush();
    const bool sent = ::write(channel[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
    ::_exit(sent ? 0 : 3);
  }
  ::close(channel[1]);
  const bool received = ::read(channel[0], &result, sizeof result) == static_cast<ssize_t>(sizeof result);
  ::close(channel[0]);
  int status = 0;
  struct rusage usage {};
  if (::wait4(child, &status, 0, &usage) != child) return false;
  m.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  m.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  m.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;  // ru_maxrss is in KiB on Linux
  return received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs the operation `repeat` times, each time after removing the files it
// writes, so that no run pays for deleting the previous run's output.
Measurement Measure(int repeat, const std::vector<std::string>& outputs, const std::function<ChildResult()>& operation) {
  Measurement best;
  best.seconds = 1e300;
  best.cpuSeconds = 1e300;
  for (int i = 0; i < repeat; ++i) {
    for (const std::string& name : outputs) ::unlink(name.c_str());
    ChildResult r;
    Measurement m;
    if (!RunInChild(operation, r, m) || r.status != 0) {
      best.ok = false;
      return best;
    }
    best.seconds = std::min(best.seconds, m.seconds);
    best.cpuSeconds = std::min(best.cpuSeconds, m.cpuSeconds);
    best.peakBytes = std::max(best.peakBytes, m.peakBytes);
    best.objects = r.objects;
  }
  return best;
}

// --- the operations ---------------------------------------------------------

// A megabyte a call, as the tool writes its files.
bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, std::min<size_t>(size, size_t{1} << 20));
    if (put <= 0) return false;
    data += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

ChildResult Copy(const std::string& input, const std::string& output) {
  ChildResult r;
  // Read as the tool reads its input, into the same kind of buffer, so that
  // the two pay the same for the memory the file is read into.
  const auto image = campdb::ReadInputImage(input);
  if (!image) return {-1, 1};
  const auto* data = reinterpret_cast<const char*>(image->bytes.data.get());
  const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  bool written = out >= 0 && WriteAll(out, data, image->bytes.size) && ::fsync(out) == 0;
  if (out >= 0 && ::close(out) != 0) written = false;
  r.status = written ? 0 : 1;
  return r;
}

ChildResult Load(const std::string& input, bool ostrel) {
  ChildResult r;
  auto image = campdb::ReadInputImage(input);
  if (!image) return {-1, 1};
  campdb::Database db;
  db.layout = ostrel ? campdb::Layout::Ostrel : campdb::Layout::Base;
  db.source = std::move(image->bytes);
  campdb::LoadObserver quiet;
  campdb::LoadDatabase(db, quiet);
  r.objects = db.loadedCount;
  return r;
}

// A whole run of the tool's driver with the given file names and answers.
ChildResult Tool(std::vector<std::string> args, const std::string& answers) {
  ChildResult r;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::istringstream in(answers);
  // As the tool's own entry does: standard output is /dev/null, not a
  // terminal, so console lines are gathered.
  const bool gathered = campdb::GatherStandardOutput();
  r.status = campdb::RunProgram(static_cast<int>(args.size()), argv.data(), in, std::cout, std::cerr, gathered);
  std::cout.flush();
  return r;
}

// A whole campdb --map run; its diagnostics are dropped.
ChildResult Map(const std::string& input, const std::string& output) {
  ChildResult r;
  std::ostringstream out;
  std::ostringstream err;
  r.status = campdb::RunOptions({"--map", "--shade", "econ", input, output}, out, err);
  return r;
}

// The layout detection alone, on the file's bytes read beforehand: the
// fastest of `repeat` runs.
double DetectionSeconds(const std::string& input, int repeat) {
  auto image = campdb::ReadInputImage(input);
  if (!image) return 0;
  double best = 1e300;
  for (int i = 0; i < std::max(repeat, 1); ++i) {
    const auto start = Clock::now();
    const campdb::LayoutVerdict verdict = campdb::DetectLayout(image->bytes.Bytes());
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    if (verdict.reason.empty()) std::abort();  // keeps the call
  }
  return best;
}

// --- the table --------------------------------------------------------------

struct Row {
  std::string name;
  Measurement m;
};

struct FileResult {
  std::string path;
  double bytes = 0;
  double pictureBytes = 0;
  double detectSeconds = 0;  // the layout detection alone, fastest
  int64_t objects = 0;
  std::vector<Row> rows;
};

const Measurement* Find(const FileResult& f, const std::string& name) {
  for (const Row& row : f.rows)
    if (row.name == name) return &row.m;
  return nullptr;
}

std::string Absolute(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string out(resolved);
  std::free(resolved);
  return out;
}

void Usage() {
  std::cerr << "Usage: campdb-bench [--repeat N] [--ostrel] [--workdir DIR] [--only JOB,...] DATABASE...\n";
}

}  // namespace

int main(int argc, char** argv) {
  // As the tool's own entry does.
  std::ios::sync_with_stdio(false);

  int repeat = 3;
  bool ostrel = false;
  std::string workdir = ".";
  std::vector<std::string> inputs;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--repeat" && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--ostrel") {
      ostrel = true;
    } else if (arg == "--workdir" && i + 1 < argc) {
      workdir = argv[++i];
    } else if (arg == "--only" && i + 1 < argc) {
      only = "," + std::string(argv[++i]) + ",";
    } else if (!arg.empty() && arg[0] == '-') {
      Usage();
      return 2;
    } else {
      inputs.push_back(Absolute(arg));
    }
  }
  if (inputs.empty()) {
    Usage();
    return 2;
  }
  // The tool writes camp.info and version.info into the current folder.
  if (::chdir(workdir.c_str()) != 0) {
    std::cerr << "campdb-bench: cannot enter " << workdir << '\n';
    return 2;
  }

  const std::string variant = ostrel ? "y\n" : "n\n";
  const auto wanted = [&](const std::string& job) { return only.empty() || only.find("," + job + ",") != std::string::npos; };
  const bool textForm = wanted("dump") || wanted("restore");
  std::vector<FileResult> results;
  for (const std::string& input : inputs) {
    struct stat st {};
    if (::stat(input.c_str(), &st) != 0) {
      std::cerr << "campdb-bench: cannot read " << input << '\n';
      return 2;
    }
    FileResult f;
    f.path = input;
    f.bytes = static_cast<double>(st.st_size);
    const std::string copyOut = "bench-copy.db";
    const std::string cleanOut = "bench-clean.db";
    const std::string editOut = "bench-edit.db";
    const std::string reportOut = "bench-report.txt";
    const std::vector<std::string> infoFiles{"camp.info", "version.info"};
    f.rows.push_back({"copy", Measure(repeat, {copyOut}, [&] { return Copy(input, copyOut); })});
    if (wanted("load")) f.rows.push_back({"load", Measure(repeat, {}, [&] { return Load(input, ostrel); })});
    if (wanted("clean")) f.rows.push_back({"clean", Measure(repeat, {cleanOut, infoFiles[0], infoFiles[1]}, [&] {
                        return Tool({"campdb", input, "-", cleanOut}, variant + "C\n");
                      })});
    if (wanted("edit")) f.rows.push_back({"edit", Measure(repeat, {editOut, infoFiles[0], infoFiles[1]}, [&] {
                        return Tool({"campdb", input, "-", editOut}, variant + "E\nQ\n");
                      })});
    if (wanted("report")) f.rows.push_back({"report", Measure(repeat, {reportOut}, [&] {
                        return Tool({"campdb", input, reportOut}, variant + "R\n");
                      })});
    // --check and --repair say by their status what they found; only a
    // failure to do the job counts as one here.
    const auto found = [](ChildResult r, std::initializer_list<int> fine) {
      if (std::find(fine.begin(), fine.end(), r.status) != fine.end()) r.status = 0;
      return r;
    };
    if (wanted("check")) f.rows.push_back({"check", Measure(repeat, {}, [&] {
                        return found(Tool({"campdb", "--check", input}, ""), {1, 2});
                      })});
    const std::string repairOut = "bench-repair.db";
    if (wanted("repair")) f.rows.push_back({"repair", Measure(repeat, {repairOut, infoFiles[0], infoFiles[1]}, [&] {
                        return found(Tool({"campdb", "--repair", input, repairOut}, ""), {1, 4, 5});
                      })});
    const std::string sqliteOut = "bench.sqlite";
    if (wanted("sqlite")) f.rows.push_back({"sqlite", Measure(repeat, {sqliteOut}, [&] {
                        return Tool({"campdb", "--sqlite", input, sqliteOut}, "");
                      })});
    const std::string mapOut = "bench-map.svg";
    if (wanted("map")) f.rows.push_back({"map", Measure(repeat, {mapOut}, [&] { return Map(input, mapOut); })});
    if (wanted("detect")) f.detectSeconds = DetectionSeconds(input, repeat);
    struct stat picture {};
    if (::stat(mapOut.c_str(), &picture) == 0) f.pictureBytes = static_cast<double>(picture.st_size);

    // The text form: the dump restored is made once, outside the timing.
    const std::string layout = ostrel ? "--layout=ostrel" : "--layout=base";
    const std::string dumpFile = "bench-dump.jsonl";
    const std::string dumpCopy = "bench-dump-copy.jsonl";
    const std::string dumpOut = "bench-dump-out.jsonl";
    const std::string restoreOut = "bench-restore.db";
    ::unlink(dumpFile.c_str());
    ChildResult made;
    Measurement ignored;
    if (textForm && !RunInChild([&] { return Tool({"campdb", "--dump", layout, input, dumpFile}, ""); }, made, ignored)) {
      std::cerr << "campdb-bench: cannot dump " << input << '\n';
      return 1;
    }
    if (textForm) f.rows.push_back({"copy-dump", Measure(repeat, {dumpCopy}, [&] { return Copy(dumpFile, dumpCopy); })});
    if (wanted("dump")) f.rows.push_back({"dump", Measure(repeat, {dumpOut}, [&] {
                        return Tool({"campdb", "--dump", layout, input, dumpOut}, "");
                      })});
    if (wanted("restore")) f.rows.push_back({"restore", Measure(repeat, {restoreOut, infoFiles[0], infoFiles[1]}, [&] {
                        return Tool({"campdb", "--restore", dumpFile, restoreOut}, "");
                      })});
    for (const std::string& name : {copyOut, cleanOut, editOut, reportOut, repairOut, sqliteOut, mapOut, infoFiles[0],
                                    infoFiles[1], dumpFile, dumpCopy, dumpOut, restoreOut}) {
      ::unlink(name.c_str());
    }
    if (const Measurement* load = Find(f, "load")) {
      f.objects = load->objects;
    } else {
      ChildResult loaded;
      Measurement ignoredLoad;
      if (RunInChild([&] { return Load(input, ostrel); }, loaded, ignoredLoad)) f.objects = loaded.objects;
    }
    results.push_back(f);
  }

  std::printf("%-9s %8s  %-9s %8s %7s %7s %7s %7s %8s %7s\n", "objects", "file MB", "job", "time s", "x copy",
              "MB/s", "cpu s", "x copy", "peak MB", "x file");
  bool allOk = true;
  for (const FileResult& f : results) {
    const double mb = f.bytes / 1e6;
    double reference = Find(f, "copy")->seconds;
    double cpuReference = Find(f, "copy")->cpuSeconds;
    bool first = true;
    for (const Row& row : f.rows) {
      // Each row is measured against the copy above it.
      if (row.name.starts_with("copy") && row.m.ok) {
        reference = row.m.seconds;
        cpuReference = row.m.cpuSeconds;
      }
      allOk = allOk && row.m.ok;
      if (first) {
        std::printf("%-9lld %8.1f  ", static_cast<long long>(f.objects), mb);
      } else {
        std::printf("%-9s %8s  ", "", "");
      }
      first = false;
      if (!row.m.ok) {
        std::printf("%-9s failed\n", row.name.c_str());
        continue;
      }
      std::printf("%-9s %8.3f %7.2f %7.0f %7.3f %7.2f %8.1f %7.2f\n", row.name.c_str(), row.m.seconds,
                  row.m.seconds / reference, mb / row.m.seconds, row.m.cpuSeconds, row.m.cpuSeconds / cpuReference,
                  row.m.peakBytes / 1e6, row.m.peakBytes / f.bytes);
    }
  }

  if (wanted("map")) {
    std::printf("\nmap pictures (campdb --map --shade econ)\n");
    for (const FileResult& f : results) std::printf("  %s: %.2f MB\n", f.path.c_str(), f.pictureBytes / 1e6);
  }
  if (wanted("detect") && wanted("clean")) {
    std::printf("\nlayout detection on the bytes read (as every interactive run and action makes it)\n");
    for (const FileResult& f : results) {
      std::printf("  %s: %.3f ms, %.2f %% of a Clean\n", f.path.c_str(), f.detectSeconds * 1e3,
                  100.0 * f.detectSeconds / Find(f, "clean")->seconds);
    }
  }

  // Growth: time per object of each file against the file before it; 1.00
  // is exactly linear.
  if (results.size() > 1) {
    std::printf("\ngrowth of the time per object from the file before (1.00 = linear)\n");
    std::printf("%-19s", "objects");
    for (const Row& row : results.front().rows) std::printf(" %8s", row.name.c_str());
    std::printf("\n");
    for (size_t i = 1; i < results.size(); ++i) {
      const FileResult& base = results[i - 1];
      const FileResult& f = results[i];
      std::printf("%-8lld->%9lld", static_cast<long long>(base.objects), static_cast<long long>(f.objects));
      for (const Row& row : f.rows) {
        const double ratio = (row.m.seconds / Find(base, row.name)->seconds) /
                             (static_cast<double>(f.objects) / static_cast<double>(base.objects));
        std::printf(" %8.2f", ratio);
      }
      std::printf("\n");
    }
  }
  return allOk ? 0 : 1;
}
