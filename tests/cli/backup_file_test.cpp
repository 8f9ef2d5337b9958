// SPDX-License-Identifier: MIT
// The names commission gives its backups, and files that are written whole and never replaced.
#include <QDir>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include "backup_file.h"

namespace q42::ctl {
namespace {

TEST(BackupFile, NamesEverySystemTakes)
{
    const std::pair<QString, QString> cases[] = {
        {"A-0001_b.7", "A-0001_b.7"}, {"a/b\\c:d*e?f\"g<h>i|j k", "a_b_c_d_e_f_g_h_i_j_k"}, {"ÄÖ", "__"},
        {".hidden", "_hidden"}, {"CON", "_CON"}, {"com1.json", "_com1.json"}, {"LPT9", "_LPT9"}, {"CONSOLE", "CONSOLE"},
        {"", "unit"}, {QString(70, 'x'), QString(64, 'x')}, {"Zz09", "Zz09"}, {"@[`{", "____"},
    };
    for (const auto& [given, safe] : cases) {
        EXPECT_EQ(SafeFileName(given).toStdString(), safe.toStdString()) << given.toStdString();
    }
    EXPECT_EQ(BackupStem("SN 1", QDateTime(QDate(2026, 12, 9), QTime(10, 15, 0), QTimeZone::utc())), "SN_1_20261209T101500Z");
}

TEST(BackupFile, WrittenWholeAndNeverOverAnEarlierOne)
{
    QTemporaryDir dir;
    QStringList paths;
    for (const char* data : {"first", "second", "third"}) {
        const NewFile file = WriteNewFile(dir.path(), "unit_20261209T101500Z", data);
        ASSERT_TRUE(file.problem.isEmpty()) << file.problem.toStdString();
        QFile written(file.path);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll(), data);
        paths << QFileInfo(file.path).fileName();
    }
    EXPECT_EQ(paths, QStringList({"unit_20261209T101500Z.json", "unit_20261209T101500Z-2.json", "unit_20261209T101500Z-3.json"}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3) << "no temporary left behind";
    EXPECT_TRUE(PrepareBackupDir(dir.filePath("new/folder")).isEmpty());
    EXPECT_EQ(PrepareBackupDir("/proc/q42").toStdString(), "/proc/q42: the backup folder cannot be made");
    EXPECT_FALSE(WriteNewFile("/proc", "unit", "x").problem.isEmpty());
}

}  // namespace
}  // namespace q42::ctl
