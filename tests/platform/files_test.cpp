#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "non_files.h"
#include "platform/platform.h"
#include "platform/stream.h"

namespace {

// Each test works in a fresh temporary folder made current.
class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("quill-files-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    std::filesystem::current_path(folder_);
  }
  void TearDown() override {
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder_);
  }
  static void WriteBytes(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
  }
  static std::string ReadBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path folder_;
};

mode_t ModeOf(const std::string& name) {
  struct stat info {};
  ::lstat(name.c_str(), &info);
  return info.st_mode & 07777;
}

// Runs `check` as a user who may not write what root made read-only: as
// nobody in a child process when this one is root. Its result, or false.
bool AsAUserWithoutRootsRights(const std::function<bool()>& check) {
  if (::geteuid() != 0) return check();
  const pid_t child = ::fork();
  if (child == 0) {
    const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
    ::_exit(dropped && check() ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

int32_t SaveLine(const Text& target, const Text& line) {
  platform::PendingSave save(target);
  return save.IsOpen() && fw_write_line(save.Stream(), line) == 1 ? save.Commit() : 0;
}

std::vector<Text> ReadAllLines(int32_t stream) {
  std::vector<Text> lines;
  while (!fw_stream_eof(stream)) lines.push_back(fw_read_line(stream));
  return lines;
}

}  // namespace

TEST_F(Files, LineRulesOfTheReader) {
  WriteBytes("a.txt", "a\r\nb");
  int32_t stream = fw_read_file(u"a.txt");
  ASSERT_NE(stream, 0);
  EXPECT_EQ(ReadAllLines(stream), (std::vector<Text>{u"a", u"b"}));
  EXPECT_EQ(fw_read_line(stream), u"");
  fw_close_file(stream);

  WriteBytes("b.txt", std::string("x\ry\0z\n\nlast\xE9\n", 13));
  stream = fw_read_file(u"b.txt");
  EXPECT_EQ(ReadAllLines(stream), (std::vector<Text>{u"xy", u"z", u"", u"last\u00E9"}));
  fw_close_stream(stream);
  EXPECT_EQ(fw_read_line(stream), u"");
  EXPECT_EQ(fw_stream_eof(stream), 1);
}

TEST_F(Files, LinesLongerThanTheBufferAndManyShortOnes) {
  std::string long_line(200000, 'q');
  std::string bytes = long_line + "\n";
  for (int i = 0; i < 30000; ++i) bytes += std::to_string(i) + "\r\n";
  WriteBytes("big.txt", bytes);
  int32_t stream = fw_read_file(u"big.txt");
  std::vector<Text> lines = ReadAllLines(stream);
  ASSERT_EQ(lines.size(), 30001u);
  EXPECT_EQ(lines[0], platform::FromBytes(long_line));
  EXPECT_EQ(lines[30000], u"29999");
}

TEST_F(Files, WriterKeepsLowBytesEndsWithCrLfAndIntsAreLittleEndian) {
  int32_t stream = fw_write_file(u"out.dat");
  ASSERT_NE(stream, 0);
  EXPECT_EQ(fw_write_line(stream, Text(u"A\u0142|\0", 4)), 1);
  EXPECT_EQ(fw_write_int(stream, 0x01020304), 1);
  EXPECT_EQ(fw_write_int(stream, -2), 1);
  fw_close_file(stream);
  EXPECT_EQ(ReadBytes("out.dat"), std::string("AB|\0\r\n\x04\x03\x02\x01\xFE\xFF\xFF\xFF", 14));

  stream = fw_read_file(u"out.dat");
  EXPECT_EQ(fw_read_line(stream), u"AB|");
  EXPECT_EQ(fw_read_line(stream), u"");  // the 0 byte ended the line before CR LF
  EXPECT_EQ(fw_read_int(stream), 0x01020304);
  EXPECT_EQ(fw_read_int(stream), -2);
  EXPECT_EQ(fw_stream_eof(stream), 1);
  fw_close_file(stream);
}

TEST_F(Files, EachWrittenLineIsOnDiskBeforeTheStreamCloses) {
  int32_t log = fw_write_file(u"log.txt");
  fw_write_line(log, u"Loading");
  EXPECT_EQ(ReadBytes("log.txt"), "Loading\r\n");
  fw_close_file(log);
}

TEST_F(Files, WriteFileReplacesAndExistsEvenWhenEmpty) {
  WriteBytes("old.txt", "old contents");
  fw_close_file(fw_write_file(u"old.txt"));
  EXPECT_EQ(fw_file_type(u"old.txt"), 1);
  EXPECT_EQ(ReadBytes("old.txt"), "");
  int32_t stream = fw_read_file(u"old.txt");
  EXPECT_EQ(fw_stream_eof(stream), 1);
}

TEST_F(Files, MissingFilesAndFoldersAreNotStreams) {
  EXPECT_EQ(fw_read_file(u"missing.txt"), 0);
  EXPECT_EQ(fw_write_file(u"no/such/folder/x.txt"), 0);
  std::filesystem::create_directory("sub");
  EXPECT_EQ(fw_read_file(u"sub"), 0);
  EXPECT_EQ(fw_read_line(0), u"");
  EXPECT_EQ(fw_stream_eof(0), 1);
  EXPECT_EQ(fw_write_line(0, u"x"), 0);
  EXPECT_EQ(fw_read_int(12345), 0);
}

TEST_F(Files, AFolderFifoSocketOrDeviceIsAFileThatCannotBeReadNorWritten) {
  for (NonFile kind : {NonFile::kFolder, NonFile::kDevice, NonFile::kSocket, NonFile::kFifo}) {
    SCOPED_TRACE(NameOf(kind));
    MakeNonFile("x.png", kind);
    EXPECT_EQ(fw_file_type(u"x.png"), kind == NonFile::kFolder ? 2 : 3);
    EXPECT_EQ(fw_read_file(u"x.png"), 0);
    EXPECT_FALSE(fw_load_pixmap(u"x.png"));
    EXPECT_EQ(fw_load_image(u"x.png", 1), 0);
    EXPECT_EQ(fw_load_anim_image(u"x.png", 1, 1, 0, 1, 8), 0);
    EXPECT_EQ(fw_load_image_font(u"x.png", 16, 4), 0);
    EXPECT_EQ(fw_load_sound(u"x.png", 0), 0);
    // The device here is a link to one, and a write replaces a link.
    const int32_t written = fw_write_file(u"x.png");
    EXPECT_EQ(written != 0, kind == NonFile::kDevice);
    fw_close_file(written);
  }
}

TEST_F(Files, AFileOverItsKindsBoundIsNotRead) {
  WriteBytes("ten.bin", "0123456789");
  EXPECT_FALSE(platform::ReadOutsideFile("ten.bin", 9));
  EXPECT_EQ(platform::ReadOutsideFile("ten.bin", 10),
            std::vector<uint8_t>({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}));
  // Sparse, so that the file takes no room.
  WriteBytes("huge.ini", "");
  ASSERT_EQ(::truncate("huge.ini", off_t(platform::kMaxStreamFileBytes) + 1), 0);
  EXPECT_EQ(fw_read_file(u"huge.ini"), 0);
  ASSERT_EQ(::truncate("huge.ini", off_t(platform::kMaxStreamFileBytes)), 0);
  int32_t stream = fw_read_file(u"huge.ini");
  EXPECT_NE(stream, 0);
  fw_close_file(stream);
}

TEST_F(Files, FolderListingTypesAndDeletion) {
  std::filesystem::create_directory("sub");
  WriteBytes("one.txt", "1");
  WriteBytes("sub/two.txt", "2");
  int32_t listing = fw_read_dir(u".");
  ASSERT_NE(listing, 0);
  std::set<Text> names;
  for (Text name = fw_next_file(listing); !name.empty(); name = fw_next_file(listing))
    names.insert(name);
  fw_close_dir(listing);
  EXPECT_EQ(names, (std::set<Text>{u".", u"..", u"sub", u"one.txt"}));
  EXPECT_EQ(fw_next_file(listing), u"");
  EXPECT_EQ(fw_read_dir(u"nowhere"), 0);

  EXPECT_EQ(fw_file_type(u"one.txt"), 1);
  EXPECT_EQ(fw_file_type(u"sub"), 2);
  EXPECT_EQ(fw_file_type(u"sub/two.txt"), 1);
  EXPECT_EQ(fw_file_type(u"none"), 0);
  EXPECT_EQ(fw_delete_file(u"one.txt"), 1);
  EXPECT_EQ(fw_file_type(u"one.txt"), 0);
  EXPECT_EQ(fw_delete_file(u"one.txt"), 1);  // already gone
  EXPECT_EQ(fw_delete_file(u"sub"), 0);      // folders stay
}

TEST_F(Files, RenameReplacesTheTargetWhole) {
  WriteBytes("new.tmp", "new");
  WriteBytes("save.dat", "old");
  EXPECT_EQ(fw_rename_file(u"new.tmp", u"save.dat"), 1);
  EXPECT_EQ(ReadBytes("save.dat"), "new");
  EXPECT_EQ(fw_file_type(u"new.tmp"), 0);
  EXPECT_EQ(fw_rename_file(u"new.tmp", u"save.dat"), 0);
}

TEST_F(Files, ChangeDirIgnoresATrailingSlashAndNamesAreUtf8OnDisk) {
  Text name = u"Fichiers \u00E9t\u00E9 \u0416";
  std::filesystem::create_directory(platform::ToUtf8(name));
  EXPECT_EQ(fw_change_dir(name + u"/"), 1);
  Text here = fw_current_dir();
  EXPECT_EQ(fw_right(here, int32_t(name.size()) + 1), u"/" + name);
  fw_close_file(fw_write_file(u"\u00FC.txt"));
  EXPECT_TRUE(std::filesystem::exists(u8"\u00FC.txt"));
  EXPECT_EQ(fw_change_dir(u".."), 1);
  EXPECT_EQ(fw_current_dir(), platform::FromUtf8(folder_.string()));
  EXPECT_EQ(fw_change_dir(u"nowhere/"), 0);
  EXPECT_EQ(fw_change_dir(u""), 0);
  EXPECT_EQ(fw_current_dir(), platform::FromUtf8(folder_.string()));
}

TEST_F(Files, ANameThatIsNotUtf8OpensByTheNameTheListingGives) {
  // A Latin-1 letter, an overlong NUL, an encoded surrogate and a cut-off
  // sequence: none of them is UTF-8.
  const std::string name = "pal\xE9tte \xC0\x80 \xED\xA0\x80 \xE2\x82.png";
  WriteBytes(name, "x");
  int32_t listing = fw_read_dir(u".");
  Text listed;
  for (Text entry = fw_next_file(listing); !entry.empty(); entry = fw_next_file(listing)) {
    if (entry != u"." && entry != u"..") listed = entry;
  }
  fw_close_dir(listing);
  EXPECT_EQ(fw_right(listed, 4), u".png");
  EXPECT_EQ(fw_file_type(listed), 1);
  int32_t stream = fw_read_file(listed);
  EXPECT_NE(stream, 0);
  EXPECT_EQ(fw_read_line(stream), u"x");
  fw_close_file(stream);
  EXPECT_EQ(fw_delete_file(listed), 1);
  EXPECT_FALSE(std::filesystem::exists(name));
}

// A run folder unpacked from someone's archive or copied with cp -al may
// hold links or second names where the program writes; a write must never
// lead through them, and the run still gets its files.
TEST_F(Files, NoWriteFollowsALinkNorEmptiesAFileWithASecondName) {
  WriteBytes("profile", "keep");
  const std::string elsewhere = (folder_ / "profile").string();
  ASSERT_EQ(::symlink(elsewhere.c_str(), "Debug.txt"), 0);
  ASSERT_EQ(::symlink((folder_ / "made").c_str(), "crash.dat"), 0);
  ASSERT_EQ(::link(elsewhere.c_str(), "second.txt"), 0);
  ASSERT_EQ(::symlink(elsewhere.c_str(), "Setup.ini"), 0);
  for (const char* name : {"Debug.txt", "crash.dat", "second.txt"}) {
    const int32_t stream = fw_write_file(platform::FromUtf8(name));
    EXPECT_EQ(fw_write_line(stream, u"mine"), 1) << name;
    fw_close_file(stream);
  }
  EXPECT_EQ(SaveLine(u"Setup.ini", u"mine"), 1);
  for (const char* name : {"Debug.txt", "crash.dat", "second.txt", "Setup.ini"}) {
    EXPECT_EQ(ReadBytes(name), "mine\r\n") << name;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(name))) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "made"));
  EXPECT_EQ(ReadBytes("profile"), "keep");
  EXPECT_EQ(std::filesystem::hard_link_count("profile"), 1u);
}

// A power cut soon after a rename must not find the file empty, so its
// bytes reach the disk first, or the save fails and the old file stays.
TEST_F(Files, ASaveWhoseBytesCannotReachTheDiskFailsAndLeavesTheOldFile) {
  WriteBytes("Setup.ini", "old");
  platform::flush_to_disk = [](int) { return -1; };
  const int32_t saved = SaveLine(u"Setup.ini", u"new");
  platform::flush_to_disk = ::fsync;
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(ReadBytes("Setup.ini"), "old");
}

TEST_F(Files, ASaveKeepsTheModeOfWhatItReplacesAndLeavesAReadOnlyFileAlone) {
  WriteBytes("nuscores.dat", "private");
  ::chmod("nuscores.dat", 0600);
  EXPECT_EQ(SaveLine(u"nuscores.dat", u"still private"), 1);
  EXPECT_EQ(ModeOf("nuscores.dat"), 0600u);
  const mode_t umask_bits = ::umask(022);
  ::umask(umask_bits);
  EXPECT_EQ(SaveLine(u"new.ini", u"new"), 1);
  EXPECT_EQ(ModeOf("new.ini"), 0666u & ~umask_bits);

  ::chmod(".", 0777);
  WriteBytes("Setup.ini", "mine");
  ::chmod("Setup.ini", 0444);
  EXPECT_EQ(SaveLine(u"Setup.ini", u"whoever runs it"), 0);
  WriteBytes("open.ini", "");
  ::chmod("open.ini", 0666);
  EXPECT_TRUE(AsAUserWithoutRootsRights([] {
    return SaveLine(u"Setup.ini", u"theirs") == 0 && SaveLine(u"open.ini", u"ok") == 1 &&
           SaveLine(u"fresh.ini", u"ok") == 1;
  }));
  EXPECT_EQ(ReadBytes("Setup.ini"), "mine");
  EXPECT_EQ(ReadBytes("open.ini"), "ok\r\n");
}

// A run killed between writing a temporary and renaming it leaves the
// temporary behind, as every earlier version named them too; only those go,
// and only when dated far from now either way.
TEST_F(Files, TemporariesAKilledRunLeftNeverBlockASaveAndOldOnesGo) {
  const auto write_dated = [](const std::string& name, time_t when) {
    WriteBytes(name, "left");
    const timespec times[2] = {{when, 0}, {when, 0}};
    ::utimensat(AT_FDCWD, name.c_str(), times, 0);
  };
  const time_t eleven_minutes_ago = ::time(nullptr) - 660;
  for (int n = 1; n <= 1000; ++n) write_dated(".saving-" + std::to_string(n), eleven_minutes_ago);
  write_dated(".saving-0123abcd", eleven_minutes_ago);
  write_dated(".saving-89abcdef", ::time(nullptr) + 660);
  write_dated(".saving-notes.txt", eleven_minutes_ago);
  WriteBytes(".saving-fedcba98", "another run is saving");
  EXPECT_EQ(SaveLine(u"Setup.ini", u"saved"), 1);
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{".saving-fedcba98", ".saving-notes.txt", "Setup.ini"}));
}

namespace {

bool name_free_at_rename = false;
int RenameNotingTheName(const char* from, const char* to) {
  name_free_at_rename = ::access(to, F_OK) != 0;
  return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}
int Refuse(const char*, const char*) { return errno = EOPNOTSUPP, -1; }
int RefuseAsNfsDoes(const char*, const char*) { return errno = EINVAL, -1; }

}  // namespace

// No empty claim holds a new file's name where a no-replace rename or a hard
// link will do; a share with neither still saves. Taken names stay.
TEST_F(Files, ANewFileTakesAFreeNameWholeAndNeverATakenOne) {
  using Result = platform::PendingNewFile::Result;
  using Move = int (*)(const char*, const char*);
  const Move usual = platform::rename_no_replace;
  const std::pair<Move, Move> file_systems[] = {
      {RenameNotingTheName, ::link}, {RefuseAsNfsDoes, ::link}, {Refuse, Refuse}};
  for (auto [rename, link] : file_systems) {
    platform::rename_no_replace = rename, platform::hard_link = link;
    WriteBytes("taken.png", "theirs");
    for (const Text name : {u"taken.png", u"free.png"}) {
      platform::PendingNewFile file(u"");
      file.Write("mine", 4);
      EXPECT_EQ(file.CommitAs(name), name == u"free.png" ? Result::kSaved : Result::kTaken);
    }
    EXPECT_EQ(ReadBytes("taken.png") + ReadBytes("free.png"), "theirsmine");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 2);
    std::filesystem::remove("free.png");
  }
  platform::rename_no_replace = usual, platform::hard_link = ::link;
  EXPECT_TRUE(name_free_at_rename);
}

TEST(MemoryStream, ServesTheSameLineRules) {
  auto stream = platform::MakeMemoryStream(std::string("one\r\ntwo\0three", 14));
  EXPECT_EQ(stream->ReadLine(), u"one");
  EXPECT_EQ(stream->ReadLine(), u"two");
  EXPECT_FALSE(stream->AtEnd());
  EXPECT_EQ(stream->ReadLine(), u"three");
  EXPECT_TRUE(stream->AtEnd());
}
