// The program started as a shell or a desktop menu starts it, from some other folder: it
// works in the data folder named on its command line, else the one saved in the user's
// settings, else the user's data folder, and leaves no file anywhere else; a folder it cannot
// work in is refused with a message and exit code 1; the help and the version need no display.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Ended {
  int code = -1;  // the exit code; -1 when killed by a signal or still running at the deadline
  std::string out;
  std::string err;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every file under ROOT, relative to it, sorted.
std::vector<std::string> filesUnder(const fs::path& root) {
  std::vector<std::string> files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_directory()) files.push_back(fs::relative(entry.path(), root).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/phonedir-start-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    for (const fs::path& dir : {cwd(), home(), runtimeDir()}) fs::create_directories(dir);
    fs::permissions(runtimeDir(), fs::perms::owner_all);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, ignored);
    fs::remove_all(root_, ignored);
  }

  fs::path cwd() const { return root_ / "station"; }  // the folder the program is started from
  fs::path home() const { return root_ / "home"; }
  fs::path runtimeDir() const { return root_ / "runtime"; }
  fs::path userData() const { return home() / ".local/share/phonedir"; }
  fs::path settings() const { return home() / ".config/phonedir/phonedir.conf"; }

  // Starts PROGRAM from cwd() with a home of its own, on the offscreen platform unless
  // DISPLAYLESS, where the program gets no platform and only the display DISPLAY names.
  pid_t start(const char* program, const std::vector<std::string>& args, bool displayless = false,
              const std::string& display = {}) {
    std::vector<std::string> env = {
        "HOME=" + home().string(),
        "XDG_CONFIG_HOME=" + (home() / ".config").string(),
        "XDG_DATA_HOME=" + (home() / ".local/share").string(),
        "XDG_CACHE_HOME=" + (home() / ".cache").string(),
        "XDG_RUNTIME_DIR=" + runtimeDir().string(),
        "PATH=/usr/bin:/bin",
    };
    if (!displayless) env.push_back("QT_QPA_PLATFORM=offscreen");
    if (!display.empty()) env.push_back("DISPLAY=" + display);
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS"}) {
      if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    // Leaks inside the system's libraries are not the program's (scripts/test says the same).
    env.push_back(std::string("LSAN_OPTIONS=suppressions=") + LSAN_SUPPRESSIONS +
                  ":print_suppressions=0");

    const std::string out = (root_ / "stdout").string();
    const std::string err = (root_ / "stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
      std::vector<char*> argv = {const_cast<char*>(program)};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      std::vector<char*> envp;
      for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
      envp.push_back(nullptr);
      const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 || chdir(cwd().c_str()) != 0)
        _exit(127);
      execve(program, argv.data(), envp.data());
      _exit(127);
    }
    return pid;
  }

  // Waits for the program to end, killing it after a minute.
  Ended finish(pid_t pid) {
    Ended ended;
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "the program did not end";
        break;
      }
      std::this_thread::sleep_for(10ms);
    }
    if (WIFEXITED(status)) ended.code = WEXITSTATUS(status);
    ended.out = readFile(root_ / "stdout");
    ended.err = readFile(root_ / "stderr");
    return ended;
  }

  Ended run(const char* program, const std::vector<std::string>& args, bool displayless = false,
            const std::string& display = {}) {
    return finish(start(program, args, displayless, display));
  }

  // Whether the process PID works in FOLDER: it has got past its start-up checks.
  static bool worksIn(pid_t pid, const fs::path& folder) {
    std::error_code error;
    const fs::path cwd = fs::read_symlink("/proc/" + std::to_string(pid) + "/cwd", error);
    return !error && cwd == folder;
  }

  // Starts the program with ARGS and waits until it works in FOLDER and has its personal
  // directory's file there (the frame is then open), then ends it as a session's logout does.
  Ended runUntilStarted(const std::vector<std::string>& args, const fs::path& folder) {
    const pid_t pid = start(PHONEDIR_PROGRAM, args);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!(worksIn(pid, folder) && fs::exists(folder / "PERSONAL.db")) &&
           std::chrono::steady_clock::now() < deadline) {
      if (waitpid(pid, nullptr, WNOHANG) != 0) break;  // ended early: finish() reports it
      std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(fs::exists(folder / "PERSONAL.db")) << "no data files in " << folder;
    kill(pid, SIGTERM);
    return finish(pid);
  }

  // The data files are in FOLDER, and not one file anywhere else the program could have put
  // it: the folder it was started from, the home folder's data folder.
  void expectFilesOnlyIn(const fs::path& folder) {
    const auto files = filesUnder(folder);
    EXPECT_NE(std::find(files.begin(), files.end(), "PHONE.db"), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), "PERSONAL.db"), files.end());
    for (const auto& file : files) {
      EXPECT_TRUE(file.ends_with(".db")) << "left in the data folder: " << file;
    }
    EXPECT_EQ(filesUnder(cwd()), std::vector<std::string>{}) << "the current folder";
    if (folder != userData()) {
      EXPECT_FALSE(fs::exists(userData()));
    }
    for (const auto& file : filesUnder(root_)) {
      if (fs::path(root_ / file).parent_path() == folder) continue;
      EXPECT_FALSE(file.ends_with(".db") || file.ends_with("-journal") ||
                   file.find(".phonedir-check") != std::string::npos)
          << "a data file outside the data folder: " << file;
    }
  }

  fs::path root_;
};

TEST_F(ProgramStartTest, WorksInTheFolderNamedOnItsCommandLine) {
  // Relative to the folder it is started from, created with its parents.
  const fs::path shared = root_ / "share/town";
  const Ended ended = runUntilStarted({"../share/town"}, shared);
  EXPECT_EQ(ended.code, 0) << ended.err;
  expectFilesOnlyIn(shared);
  EXPECT_FALSE(fs::exists(settings())) << "a folder named once is not remembered";

  // An absolute name, a folder that exists already with a file of an earlier start.
  fs::remove(shared / "PERSONAL.db");
  const Ended again = runUntilStarted({shared.string()}, shared);
  EXPECT_EQ(again.code, 0) << again.err;
  expectFilesOnlyIn(shared);
}

TEST_F(ProgramStartTest, WithoutAFolderUsesTheRememberedOneElseTheUserDataFolder) {
  const Ended first = runUntilStarted({}, userData());
  EXPECT_EQ(first.code, 0) << first.err;
  expectFilesOnlyIn(userData());
  fs::remove_all(userData());

  const fs::path shared = root_ / "share";
  const Ended remembering = runUntilStarted({"--remember", "../share"}, shared);
  EXPECT_EQ(remembering.code, 0) << remembering.err;
  EXPECT_NE(readFile(settings()).find(shared.string()), std::string::npos) << readFile(settings());

  // Started from the menu: no argument, and the remembered folder again.
  fs::remove_all(shared);
  fs::create_directories(shared);
  const Ended fromMenu = runUntilStarted({}, shared);
  EXPECT_EQ(fromMenu.code, 0) << fromMenu.err;
  expectFilesOnlyIn(shared);

  // A remembered folder that is not there (a share not mounted yet) is not made anew: a town
  // of its own, empty, would stand where the shared one is meant to be.
  fs::remove_all(shared);
  const Ended unmounted = run(PHONEDIR_PROGRAM, {});
  EXPECT_EQ(unmounted.code, 1);
  EXPECT_NE(unmounted.err.find("«" + shared.string() + "»:\nеё нет"), std::string::npos)
      << unmounted.err;
  EXPECT_FALSE(fs::exists(shared));
  EXPECT_FALSE(fs::exists(userData()));

  // A relative name written into the settings by hand is taken from the home folder.
  std::ofstream(settings()) << "[General]\ndataFolder=town\n";
  fs::create_directories(home() / "town");
  const Ended relative = runUntilStarted({}, home() / "town");
  EXPECT_EQ(relative.code, 0) << relative.err;
  EXPECT_EQ(filesUnder(cwd()), std::vector<std::string>{});
}

// A session ending at any moment of the start: once the program is past its checks, SIGTERM
// (or SIGHUP, its terminal closing) ends it with exit code 0 and no file outside the data
// folder, whether the frame is open yet or not.
TEST_F(ProgramStartTest, EndsWhenTerminatedWhileItStarts) {
  const fs::path folder = root_ / "town";
  for (const auto& [signal, delay] :
       {std::pair{SIGTERM, 0ms}, std::pair{SIGTERM, 2ms}, std::pair{SIGTERM, 20ms},
        std::pair{SIGTERM, 100ms}, std::pair{SIGHUP, 20ms}, std::pair{SIGHUP, 100ms}}) {
    SCOPED_TRACE(std::to_string(signal) + " after " + std::to_string(delay.count()) + " ms");
    const pid_t pid = start(PHONEDIR_PROGRAM, {folder.string()});
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!worksIn(pid, folder) && std::chrono::steady_clock::now() < deadline) {
      if (waitpid(pid, nullptr, WNOHANG) != 0) break;
    }
    std::this_thread::sleep_for(delay);
    kill(pid, signal);
    const Ended ended = finish(pid);
    EXPECT_EQ(ended.code, 0) << ended.err;
    EXPECT_EQ(filesUnder(cwd()), std::vector<std::string>{});
  }
}

TEST_F(ProgramStartTest, RefusesAFolderItCannotWorkIn) {
  const fs::path file = root_ / "notes.txt";
  std::ofstream(file) << "a regular file";
  struct Case {
    std::string name;
    std::vector<std::string> args;
    std::string folder;  // as the message names it
    std::string hint;
  };
  std::vector<Case> cases = {
      {"a folder under a regular file",
       {(file / "town").string()},
       (file / "town").string(),
       "Укажите другую папку: phonedir ПАПКА"},
      {"a regular file", {file.string()}, file.string(), "это файл, а не папка"},
      {"a name whose bytes are not UTF-8",
       {(root_ / "town\xCF").string()},
       (root_ / "town\xEF\xBF\xBD").string(),
       "в её имени есть байты не в кодировке UTF-8"},
      {"a path longer than the data files' names may be",
       {(root_ / std::string(250, 'a') / std::string(250, 'b')).string()},
       (root_ / std::string(250, 'a') / std::string(250, 'b')).string(),
       "путь к ней длиннее 400 байт"},
      {"remembering one under a regular file",
       {"--remember", (file / "town").string()},
       (file / "town").string(),
       "часть пути — файл, а не папка"},
  };
  if (geteuid() != 0) {  // permissions do not stop root
    fs::create_directories(root_ / "locked");
    fs::permissions(root_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    cases.push_back({"a folder nobody may write in",
                     {(root_ / "locked").string()},
                     (root_ / "locked").string(),
                     "в ней нельзя создавать файлы: нет прав доступа"});
  }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Ended ended = run(PHONEDIR_PROGRAM, c.args);
    EXPECT_EQ(ended.code, 1);
    EXPECT_NE(ended.err.find("Телефонный справочник не может работать в папке данных\n«" +
                             c.folder + "»"),
              std::string::npos)
        << ended.err;
    EXPECT_NE(ended.err.find(c.hint), std::string::npos) << ended.err;
    EXPECT_EQ(filesUnder(cwd()), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(userData()));
    EXPECT_FALSE(fs::exists(settings())) << "an unusable folder is not remembered";
  }
}

TEST_F(ProgramStartTest, ARememberedFolderThatCannotBeUsedSaysHowToNameAnother) {
  fs::create_directories(settings().parent_path());
  std::ofstream(root_ / "notes.txt") << "a regular file";
  const std::string gone = (root_ / "notes.txt/town").string();
  std::ofstream(settings()) << "[General]\ndataFolder=" << gone << "\n";
  const Ended ended = run(PHONEDIR_PROGRAM, {});
  EXPECT_EQ(ended.code, 1);
  EXPECT_NE(ended.err.find("«" + gone + "»"), std::string::npos) << ended.err;
  EXPECT_NE(ended.err.find("phonedir --remember ПАПКА"), std::string::npos) << ended.err;
  EXPECT_NE(ended.err.find(settings().string()), std::string::npos) << ended.err;
  EXPECT_FALSE(fs::exists(userData())) << "no silent start elsewhere";
}

// Settings that cannot say which folder are not taken for settings that name none: the
// program would work in the user's data folder, in a town of its own, and say nothing.
TEST_F(ProgramStartTest, SettingsThatCannotBeReadAreRefused) {
  fs::create_directories(settings().parent_path());
  struct Case {
    std::string text;
    std::string why;
  };
  const Case cases[] = {
      {"[General]\ndataFolder=/mnt/town, 2\n", "значение dataFolder в нём не название папки"},
      {"[General]\ndataFolder=@Invalid()\n", "значение dataFolder в нём не название папки"},
      {"[General]\ndataFolder=\n", "значение dataFolder в нём не название папки"},
      {"", "в нём не записана папка данных"},
      {"[General]\nother=1\n", "в нём не записана папка данных"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::ofstream(settings()) << c.text;
    const Ended ended = run(PHONEDIR_PROGRAM, {});
    EXPECT_EQ(ended.code, 1);
    EXPECT_NE(ended.err.find("не может взять папку данных из настроек\n«" + settings().string() +
                             "»:\n" + c.why),
              std::string::npos)
        << ended.err;
    EXPECT_FALSE(fs::exists(userData())) << "no silent start elsewhere";
  }
  if (geteuid() != 0) {  // permissions do not stop root
    std::ofstream(settings()) << "[General]\ndataFolder=/mnt/town\n";
    for (const fs::path& locked : {settings(), settings().parent_path()}) {
      fs::permissions(locked, fs::perms::none);
      const Ended ended = run(PHONEDIR_PROGRAM, {});
      EXPECT_EQ(ended.code, 1);
      EXPECT_NE(ended.err.find("файл настроек нельзя прочитать"), std::string::npos) << ended.err;
      EXPECT_FALSE(fs::exists(userData()));
      fs::permissions(locked, fs::perms::owner_all);
    }
  }
}

TEST_F(ProgramStartTest, AnswersItsCommandLineWithoutADisplay) {
  // The help names the folder a start without one falls back on, also while a folder is
  // remembered.
  fs::create_directories(settings().parent_path());
  std::ofstream(settings()) << "[General]\ndataFolder=/srv/town\n";
  const Ended help = run(PHONEDIR_PROGRAM, {"--help"}, true);
  EXPECT_EQ(help.code, 0) << help.err;
  for (const std::string& text : {std::string("[ПАПКА]"), std::string("--remember"),
                                  std::string("-v, --version"), userData().string()}) {
    EXPECT_NE(help.out.find(text), std::string::npos) << text << "\n" << help.out;
  }

  const Ended version = run(PHONEDIR_PROGRAM, {"--version"}, true);
  EXPECT_EQ(version.code, 0) << version.err;
  EXPECT_EQ(version.out, "phonedir " PHONEDIR_VERSION "\n");

  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case misuse[] = {
      {{"--no-such-option", "town"}, "«no-such-option»"},
      {{"one", "two"}, "больше одной папки"},
      {{"--remember"}, "--remember нужна ПАПКА"},
  };
  for (const auto& c : misuse) {
    SCOPED_TRACE(c.error);
    const Ended ended = run(PHONEDIR_PROGRAM, c.args);
    EXPECT_EQ(ended.code, 1);
    EXPECT_NE(ended.err.find(c.error), std::string::npos) << ended.err;
  }
  EXPECT_EQ(filesUnder(root_ / "station"), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(userData()));

  // A start outside a graphical session says so, in the program's language.
  const Ended displayless = run(PHONEDIR_PROGRAM, {"town"}, true);
  EXPECT_EQ(displayless.code, 1);
  EXPECT_NE(displayless.err.find("нет графического сеанса"), std::string::npos) << displayless.err;
  // So does a start on a display that is named but not there (a stale one, after ssh).
  const Ended stale = run(PHONEDIR_PROGRAM, {"town"}, true, ":987");
  EXPECT_EQ(stale.code, 1);
  EXPECT_NE(stale.err.find("не удалось открыть окно на экране «:987»"), std::string::npos)
      << stale.err;
  EXPECT_EQ(filesUnder(root_ / "station"), std::vector<std::string>{});

  for (const char* tool : {PHONEDIR_DATA_PROGRAM, PHONEDIR_SCRIPT_PROGRAM}) {
    SCOPED_TRACE(tool);
    const Ended ended = run(tool, {"--help"}, true);
    EXPECT_EQ(ended.code, 0) << ended.err;
    EXPECT_NE(ended.out.find("usage:"), std::string::npos) << ended.out;
  }
}

}  // namespace
