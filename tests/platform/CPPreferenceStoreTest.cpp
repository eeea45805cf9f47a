#include "platform/CPPreferenceStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>

#include "platform/CPOSErr.h"
#include "platform/CPPlatformErrors.h"
#include "platform/CPRecentDocuments.h"
#include "support/VYXTestSupport.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

class CPPreferenceStoreTest : public ::testing::Test {
 protected:
  VYXTempDir dir_;
  fs::path file_ = dir_.Path() / "config" / "vyx" / "preferences.json";
};

TEST_F(CPPreferenceStoreTest, TypedValuesSurviveSaveAndReload) {
  CPPreferenceStore store(file_);
  ASSERT_EQ(noErr, store.Load());  // nothing on disk yet: an empty store
  EXPECT_FALSE(store.Has("VYXWelcomeSound"));

  store.SetBool("b", false);
  store.SetLong("l", std::numeric_limits<int32_t>::min());
  store.SetLong("l2", std::numeric_limits<int32_t>::max());
  ASSERT_EQ(noErr, store.SetString("s", "Société Générale – 12 €"));
  ASSERT_EQ(noErr, store.SetPath("p", "/home/anne/Mes comptes/Famille.grp"));
  store.SetDate("d", 0xFFFFFFFFu);
  store.SetDate("zero", 0);
  ASSERT_EQ(noErr, store.SetStringList("list", {"un", "deux"}));
  EXPECT_TRUE(store.HasUnsavedChanges());
  ASSERT_EQ(noErr, store.Save());
  EXPECT_FALSE(store.HasUnsavedChanges());

  CPPreferenceStore again(file_);
  ASSERT_EQ(noErr, again.Load());
  bool b = true;
  int32_t l = 0, l2 = 0;
  std::string s;
  fs::path p;
  CPDate d = 0, zero = 1;
  std::vector<std::string> list;
  EXPECT_TRUE(again.GetBool("b", &b));
  EXPECT_FALSE(b);
  EXPECT_TRUE(again.GetLong("l", &l));
  EXPECT_EQ(std::numeric_limits<int32_t>::min(), l);
  EXPECT_TRUE(again.GetLong("l2", &l2));
  EXPECT_EQ(std::numeric_limits<int32_t>::max(), l2);
  EXPECT_TRUE(again.GetString("s", &s));
  EXPECT_EQ("Société Générale – 12 €", s);
  EXPECT_TRUE(again.GetPath("p", &p));
  EXPECT_EQ(fs::path("/home/anne/Mes comptes/Famille.grp"), p);
  EXPECT_TRUE(again.GetDate("d", &d));
  EXPECT_EQ(0xFFFFFFFFu, d);
  EXPECT_TRUE(again.GetDate("zero", &zero));
  EXPECT_EQ(0u, zero);
  EXPECT_TRUE(again.GetStringList("list", &list));
  EXPECT_EQ((std::vector<std::string>{"un", "deux"}), list);
}

// A key that is missing, or that holds a value of another type than asked (a
// hand-edited file), is not found, and the output is left as it was.
TEST_F(CPPreferenceStoreTest, MissingOrMistypedKeysAreNotFound) {
  WriteFile(file_, R"({"flag": "true", "num": 3.5, "big": 4294967296, "neg": -1,
                       "text": 12, "path": "", "list": "x"})");
  CPPreferenceStore store(file_);
  ASSERT_EQ(noErr, store.Load());
  bool b = true;
  int32_t l = 7;
  std::string s = "kept";
  fs::path p = "kept";
  CPDate d = 9;
  std::vector<std::string> list{"kept"};
  EXPECT_FALSE(store.GetBool("flag", &b));
  EXPECT_FALSE(store.GetBool("absent", &b));
  EXPECT_FALSE(store.GetLong("num", &l));
  EXPECT_FALSE(store.GetLong("big", &l));
  EXPECT_FALSE(store.GetDate("neg", &d));
  EXPECT_FALSE(store.GetDate("big", &d));
  EXPECT_FALSE(store.GetString("text", &s));
  EXPECT_FALSE(store.GetPath("path", &p));
  EXPECT_FALSE(store.GetStringList("list", &list));
  EXPECT_TRUE(b);
  EXPECT_EQ(7, l);
  EXPECT_EQ("kept", s);
  EXPECT_EQ(fs::path("kept"), p);
  EXPECT_EQ(9u, d);
  EXPECT_EQ(std::vector<std::string>{"kept"}, list);
  // Values the store does not understand are kept on disk when others change.
  store.SetBool("other", true);
  ASSERT_EQ(noErr, store.Save());
  CPPreferenceStore again(file_);
  ASSERT_EQ(noErr, again.Load());
  EXPECT_TRUE(again.Has("num"));
  EXPECT_TRUE(again.Has("list"));
}

TEST_F(CPPreferenceStoreTest, TextThatIsNotUtf8IsRefused) {
  CPPreferenceStore store(file_);
  store.Load();
  ASSERT_EQ(noErr, store.SetString("s", "avant"));
  EXPECT_EQ(kCPErrPrefsBadValue, store.SetString("s", "caf\x8e"));   // MacRoman é
  EXPECT_EQ(kCPErrPrefsBadValue, store.SetString("s", "\xC3"));      // cut sequence
  EXPECT_EQ(kCPErrPrefsBadValue, store.SetString("s", "\xC0\xAF"));  // overlong "/"
  EXPECT_EQ(kCPErrPrefsBadValue, store.SetStringList("l", {"ok", "\xFF"}));
  std::string s;
  EXPECT_TRUE(store.GetString("s", &s));
  EXPECT_EQ("avant", s);
  EXPECT_FALSE(store.Has("l"));
}

// The file is replaced, never rewritten in place: a reader that opened the old
// file still reads it whole, no temporary file is left behind, and the new one
// is private to the user (it may hold a mail password).
TEST_F(CPPreferenceStoreTest, SaveReplacesTheFileAtomicallyAndPrivately) {
  CPPreferenceStore store(file_);
  store.Load();
  ASSERT_EQ(noErr, store.SetString("old", std::string(5000, 'a')));
  ASSERT_EQ(noErr, store.Save());
  std::string before = VYXReadFile(file_);

  int reader = ::open(file_.c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  store.Remove("old");
  store.SetBool("new", true);
  ASSERT_EQ(noErr, store.Save());
  std::string seen(before.size() + 10, '\0');
  ssize_t n = ::pread(reader, seen.data(), seen.size(), 0);
  ::close(reader);
  seen.resize(n > 0 ? static_cast<size_t>(n) : 0);
  EXPECT_EQ(before, seen);

  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(file_.parent_path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(std::vector<std::string>{"preferences.json"}, names);
  struct stat st;
  ASSERT_EQ(0, ::stat(file_.c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
  CPPreferenceStore again(file_);
  ASSERT_EQ(noErr, again.Load());
  EXPECT_FALSE(again.Has("old"));
  EXPECT_TRUE(again.Has("new"));
}

// Two processes (two stores here) that change different keys both keep their
// change; a removal is carried over too.
TEST_F(CPPreferenceStoreTest, ConcurrentWritersKeepEachOthersKeys) {
  {
    CPPreferenceStore seed(file_);
    seed.Load();
    seed.SetLong("shared", 1);
    seed.SetLong("gone", 2);
    ASSERT_EQ(noErr, seed.Save());
  }
  CPPreferenceStore a(file_), b(file_);
  ASSERT_EQ(noErr, a.Load());
  ASSERT_EQ(noErr, b.Load());
  a.SetLong("fromA", 10);
  b.SetLong("fromB", 20);
  b.Remove("gone");
  ASSERT_EQ(noErr, a.Save());
  ASSERT_EQ(noErr, b.Save());
  EXPECT_TRUE(b.Has("fromA"));  // a save also brings in what others wrote

  CPPreferenceStore c(file_);
  ASSERT_EQ(noErr, c.Load());
  int32_t v = 0;
  EXPECT_TRUE(c.GetLong("fromA", &v) && v == 10);
  EXPECT_TRUE(c.GetLong("fromB", &v) && v == 20);
  EXPECT_TRUE(c.GetLong("shared", &v) && v == 1);
  EXPECT_FALSE(c.Has("gone"));
}

// A damaged file is renamed aside with its bytes intact, never overwritten; a
// second damaged file does not replace the first one set aside.
TEST_F(CPPreferenceStoreTest, DamagedFileIsSetAsideNotOverwritten) {
  const std::string cases[] = {
      "{\"VYXWelcomeSound\": tru",  // cut short
      "[1, 2, 3]",                  // JSON, but not an object
      "{\"s\": \"caf\x8e\"}",       // not UTF-8
      "",                           // empty
  };
  for (const std::string& damaged : cases) {
    SCOPED_TRACE(damaged);
    fs::remove_all(file_.parent_path());
    WriteFile(file_, damaged);
    CPPreferenceStore store(file_);
    EXPECT_EQ(kCPErrPrefsDamaged, store.Load());
    fs::path aside = store.TakeSetAside();
    EXPECT_EQ(fs::path(file_.string() + ".bak"), aside);
    EXPECT_TRUE(store.TakeSetAside().empty());
    EXPECT_EQ(damaged, VYXReadFile(aside));
    EXPECT_FALSE(fs::exists(file_));
    // The store goes on, empty, and saves a sound file beside the damaged one.
    store.SetBool("VYXWelcomeSound", false);
    ASSERT_EQ(noErr, store.Save());
    EXPECT_EQ(damaged, VYXReadFile(aside));
  }
  WriteFile(file_, "encore abîmé");
  CPPreferenceStore store(file_);
  EXPECT_EQ(kCPErrPrefsDamaged, store.Load());
  EXPECT_EQ(fs::path(file_.string() + ".bak.1"), store.TakeSetAside());
  EXPECT_EQ("", VYXReadFile(file_.string() + ".bak"));
}

// A file that becomes damaged between our Load and our Save (another program
// wrote it) is set aside too, and what this process holds is written whole.
TEST_F(CPPreferenceStoreTest, DamageFoundWhenSavingIsSetAside) {
  CPPreferenceStore store(file_);
  store.Load();
  store.SetLong("a", 1);
  ASSERT_EQ(noErr, store.Save());
  WriteFile(file_, "garbage");
  store.SetLong("b", 2);
  ASSERT_EQ(noErr, store.Save());
  EXPECT_EQ("garbage", VYXReadFile(store.TakeSetAside()));
  CPPreferenceStore again(file_);
  ASSERT_EQ(noErr, again.Load());
  EXPECT_TRUE(again.Has("a"));
  EXPECT_TRUE(again.Has("b"));
}

// A file that cannot be read (here a folder in its place) is not a damaged file:
// nothing is renamed, and the store refuses to save over it.
TEST_F(CPPreferenceStoreTest, UnreadableFileIsNeverReplaced) {
  fs::create_directories(file_);
  CPPreferenceStore store(file_);
  OSErr err = store.Load();
  EXPECT_NE(noErr, err);
  EXPECT_NE(kCPErrPrefsDamaged, err);
  EXPECT_TRUE(store.TakeSetAside().empty());
  store.SetBool("x", true);
  EXPECT_EQ(err, store.Save());
  EXPECT_TRUE(fs::is_directory(file_));
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(CPPreferenceStoreDefaultFile, FollowsTheXdgRules) {
  ScopedEnv home("HOME", "/home/anne");
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "/srv/conf");
    EXPECT_EQ(fs::path("/srv/conf/vyx/preferences.json"), CPPreferenceStore::DefaultFile());
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", "relative/conf");  // ignored, as the rules say
    EXPECT_EQ(fs::path("/home/anne/.config/vyx/preferences.json"), CPPreferenceStore::DefaultFile());
  }
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(fs::path("/home/anne/.config/vyx/preferences.json"), CPPreferenceStore::DefaultFile());
  }
}

TEST_F(CPPreferenceStoreTest, RecentDocumentsAreMostRecentFirstWithoutRepeats) {
  CPPreferenceStore store(file_);
  store.Load();
  CPRecentDocuments recent(store, 3);
  EXPECT_TRUE(recent.Get().empty());
  ASSERT_EQ(noErr, recent.Add(dir_.Ref("a.grp")));
  ASSERT_EQ(noErr, recent.Add(dir_.Ref("b.grp")));
  ASSERT_EQ(noErr, recent.Add(CPFileRef(dir_.Path() / "sub" / ".." / "a.grp")));  // the same file
  ASSERT_EQ(noErr, recent.Add(dir_.Ref("c.grp")));
  ASSERT_EQ(noErr, recent.Add(dir_.Ref("d.grp")));  // pushes the oldest out
  ASSERT_EQ(noErr, store.Save());

  CPPreferenceStore again(file_);
  again.Load();
  CPRecentDocuments reread(again, 3);
  std::vector<fs::path> paths;
  for (const CPFileRef& fileRef : reread.Get()) paths.push_back(fileRef.Path());
  EXPECT_EQ((std::vector<fs::path>{dir_.Path() / "d.grp", dir_.Path() / "c.grp", dir_.Path() / "a.grp"}),
            paths);
  reread.Remove(dir_.Ref("c.grp"));
  EXPECT_EQ(2u, reread.Get().size());
  reread.Clear();
  EXPECT_TRUE(reread.Get().empty());
}

TEST_F(CPPreferenceStoreTest, RecentDocumentsStoreAbsolutePaths) {
  CPPreferenceStore store(file_);
  store.Load();
  CPRecentDocuments recent(store);
  ASSERT_EQ(noErr, recent.Add(CPFileRef("relatif.grp")));
  ASSERT_EQ(1u, recent.Get().size());
  EXPECT_TRUE(recent.Get()[0].Path().is_absolute());
}

}  // namespace
