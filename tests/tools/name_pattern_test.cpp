// The command line's wildcards: which names a pattern matches, selects, and may find
// below a folder.
#include "tools/pck/name_pattern.h"

#include <gtest/gtest.h>

namespace {

struct PatternCase {
  const char* pattern;
  const char* name;
  bool matches, selects;
};

const PatternCase kCases[] = {
    {"*", "README.TXT", true, true},   // dots included
    {"*", "sub\\a.txt", false, true},  // below a folder `*` matches
    {"*.txt", "sub\\a.txt", false, false},
    {"*.TXT", "a.txt", true, true},       // a-z in either case
    {"\xC7*", "\xE7.txt", false, false},  // other letters keep their case
    {"a?c", "abc", true, true},
    {"a?c", "ac", false, false},
    {"a*b*c", "aXbYbZc", true, true},
    {"a*b", "a", false, false},
    {"sub", "sub\\deep\\d.h", false, true},
    {"sub/*", "sub\\deep\\d.h", false, true},
    {"sub\\*", "sub\\c.txt", true, true},
    {"sub/*", "sub", false, false},
    {"**/*.h", "d.h", true, true},  // ** takes no folder too
    {"**/*.h", "sub\\deep\\d.h", true, true},
    {"src/**/x", "src\\x", true, true},
    {"src/**/x", "src\\a\\b\\x", true, true},
    {"src/**/x", "src\\a\\b\\y", false, false},
    {"./sub//c.txt", "sub/c.txt", true, true},
};

TEST(NamePatternTable, MatchesAndSelects) {
  for (const PatternCase& c : kCases) {
    SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.name);
    const pck::NamePattern pattern(c.pattern);
    EXPECT_EQ(pattern.Matches(c.name), c.matches);
    EXPECT_EQ(pattern.Selects(c.name), c.selects);
  }
}

TEST(NamePatternTable, FoldersASearchMustEnter) {
  const pck::NamePattern deep("src/*/x.h");
  EXPECT_TRUE(deep.MayMatchBelow("src"));
  EXPECT_TRUE(deep.MayMatchBelow("src\\any"));
  EXPECT_FALSE(deep.MayMatchBelow("other"));
  EXPECT_FALSE(deep.MayMatchBelow("src\\any\\more"));
  EXPECT_TRUE(pck::NamePattern("**/x.h").MayMatchBelow("a\\b\\c"));
}

TEST(NamePatternTable, SelectionMarksThePatternsUsedAndExcludesAtEveryDepth) {
  pck::Selection chosen({"*.txt", "nothing*", "sub"}, {"*.o", "sub/skip"});
  EXPECT_TRUE(chosen.Takes("a.txt"));
  EXPECT_TRUE(chosen.Takes("sub\\c.txt"));
  EXPECT_FALSE(chosen.Takes("sub\\deep\\x.o"));  // one part, at any depth
  EXPECT_FALSE(chosen.Takes("sub\\skip\\y.c"));  // with a folder, from the top
  EXPECT_TRUE(chosen.Takes("sub\\keep\\skip"));
  EXPECT_FALSE(chosen.Takes("b.dat"));
  EXPECT_EQ(chosen.Unused(), std::vector<std::string>{"nothing*"});
  pck::Selection all({}, {"*.o"});
  EXPECT_TRUE(all.Takes("any\\thing"));
  EXPECT_FALSE(all.Takes("x.o"));
  EXPECT_TRUE(all.Unused().empty());
}

}  // namespace
