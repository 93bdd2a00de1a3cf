// bench-import: the conversion of an old register of 100 000 bags (a Jet 4 db.mdb from the
// test-support writer) into this program's register, as "Да" at start-up does it, and beside it
// in the same run mdb-export (mdbtools) writing the same file's table as CSV: the same reading
// through libmdb, without the checks and the new file. Each run is a process of its own, so
// that its peak resident memory is its own. Prints per run and, last, the medians:
//   convert 100000 bags: <ms> ms, <MB> MB peak; mdb-export: <ms> ms, <MB> MB peak; ratio <r>
// Targets: at most 5 s and 200 MB. With --convert FOLDER it converts FOLDER/db.mdb and exits.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/import/OldRegister.h"
#include "tests/support/jet/ClientsRegister.h"

extern char** environ;

namespace {

constexpr int Bags = 100000;
constexpr int Runs = 3;

struct TRun {
  double Ms = 0;
  double PeakMb = 0;
};

// Runs `argv` with standard output to `output`; its time and peak resident memory.
TRun Spawn(std::vector<const char*> argv, const char* output) {
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv.data()),
                   environ) != 0) {
    std::printf("cannot start %s\n", argv[0]);
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::printf("%s failed\n", argv[0]);
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(end - start).count(),
          double(usage.ru_maxrss) / 1024.0};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--convert") == 0) {
    ConvertOldRegister(ReadOldRegister(QDir(QString::fromLocal8Bit(argv[2])).filePath("db.mdb")));
    return 0;
  }
  const QTemporaryDir dir;
  const QString original = dir.filePath("old.mdb");
  jet::WriteDatabaseFile(jet::ClientsDatabase(jet::GeneratedBags(Bags)),
                         QFile::encodeName(original).toStdString());
  const QByteArray self = QFile::encodeName(QString::fromLocal8Bit(argv[0]));
  std::vector<double> ours, oursMb, peer, peerMb;
  for (int run = 0; run < Runs; ++run) {
    const QString desk = dir.filePath(QStringLiteral("desk%1").arg(run));
    QDir().mkpath(desk);
    QFile::copy(original, desk + "/db.mdb");
    const QByteArray folder = QFile::encodeName(desk);
    const TRun convert = Spawn({self.constData(), "--convert", folder.constData()}, "/dev/null");
    const QByteArray old = QFile::encodeName(original);
    const TRun exported = Spawn({"mdb-export", old.constData(), "Clients"}, "/dev/null");
    std::printf("run %d: convert %.0f ms, %.0f MB; mdb-export %.0f ms, %.0f MB\n", run + 1,
                convert.Ms, convert.PeakMb, exported.Ms, exported.PeakMb);
    ours.push_back(convert.Ms);
    oursMb.push_back(convert.PeakMb);
    peer.push_back(exported.Ms);
    peerMb.push_back(exported.PeakMb);
  }
  std::printf("convert %d bags: %.0f ms, %.0f MB peak; mdb-export: %.0f ms, %.0f MB peak; ratio %.2f\n",
              Bags, Median(ours), Median(oursMb), Median(peer), Median(peerMb),
              Median(ours) / Median(peer));
  return 0;
}
