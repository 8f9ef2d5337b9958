// SPDX-License-Identifier: MIT
// Words quoted for pasting into each shell a technician opens: every character a shell treats
// specially stays one literal word; a safe word stays bare, as a person would type it.
#include <gtest/gtest.h>

#include "shell_words.h"

namespace q42::ctl {
namespace {

TEST(ShellWords, EachWordIsOneLiteralWordInItsShell)
{
    const struct {
        const char* word;
        const char* posix;
        const char* powerShell;
    } cases[] = {
        {"/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"serial:FT12AB", "serial:FT12AB", "serial:FT12AB"},
        {"C:\\Users\\a\\unit.json", "'C:\\Users\\a\\unit.json'", "C:\\Users\\a\\unit.json"},
        {"a b", "'a b'", "'a b'"},
        {"it's", "'it'\\''s'", "'it''s'"},
        {"$HOME;rm -rf ~&`id`(\"x\")", "'$HOME;rm -rf ~&`id`(\"x\")'", "'$HOME;rm -rf ~&`id`(\"x\")'"},
        {"", "''", "''"},
        {"@all", "@all", "'@all'"},
        {"r\xc3\xa9sum\xc3\xa9", "'r\xc3\xa9sum\xc3\xa9'", "'r\xc3\xa9sum\xc3\xa9'"},
        {"a\xe2\x80\x99" "b", "'a\xe2\x80\x99" "b'", "'a\xe2\x80\x99\xe2\x80\x99" "b'"},
    };
    for (const auto& c : cases) {
        const QString word = QString::fromUtf8(c.word);
        EXPECT_EQ(QuotePosix(word).toStdString(), c.posix) << c.word;
        EXPECT_EQ(QuotePowerShell(word).toStdString(), c.powerShell) << c.word;
    }
}

TEST(ShellWords, TheRestoreNamesTheAdapterBySerialNumberAndTheRateWhenNotTheDefault)
{
    EXPECT_EQ(RestoreWords("/dev/ttyUSB0", "FT12AB", 57600, "/b/u.json"),
              QStringList({"q42ctl", "-r", "serial:FT12AB", "set", "--from", "/b/u.json", "--save", "--verify"}));
    EXPECT_EQ(RestoreWords("/dev/ttyUSB0", "", 9600, "/b/u.json"),
              QStringList({"q42ctl", "-r", "/dev/ttyUSB0", "-s", "9600", "set", "--from", "/b/u.json", "--save", "--verify"}));
    EXPECT_EQ(TargetWords(Target{{}, 3}), QStringList({"-p", "3"}));
}

}  // namespace
}  // namespace q42::ctl
