// SPDX-License-Identifier: MIT
#include "shell_words.h"

#include <algorithm>

#include "device_choice.h"

namespace q42::ctl {

QString QuotePosix(const QString& word)
{
    const bool bare = !word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) {
        return c.isLetterOrNumber() ? c.unicode() < 128 : QStringLiteral("@%+=:,./_-").contains(c);
    });
    if (bare) {
        return word;
    }
    QString quoted = word;
    return QLatin1Char('\'') + quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''")) + QLatin1Char('\'');
}

QString QuotePowerShell(const QString& word)
{
    const bool bare = !word.isEmpty() && std::all_of(word.begin(), word.end(), [](QChar c) {
        return c.isLetterOrNumber() ? c.unicode() < 128 : QStringLiteral("%+=:,./\\_-").contains(c);
    });
    if (bare) {
        return word;
    }
    QString quoted = word;
    // PowerShell also takes the typographic quotes as quotes: each is doubled like the plain one.
    for (const QChar quote : {QChar(u'\''), QChar(u'\u2018'), QChar(u'\u2019'), QChar(u'\u201A'), QChar(u'\u201B')}) {
        quoted.replace(quote, QString(2, quote));
    }
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString QuoteWord(const QString& word)
{
#ifdef _WIN32
    return QuotePowerShell(word);
#else
    return QuotePosix(word);
#endif
}

QString CommandLine(const QStringList& words)
{
    QStringList quoted;
    for (const QString& word : words) {
        quoted << QuoteWord(word);
    }
    return quoted.join(QLatin1Char(' '));
}

QStringList TargetWords(const Target& target)
{
    if (target.device.isEmpty()) {
        return {QStringLiteral("-p"), QString::number(target.portNumber)};
    }
    return {QStringLiteral("-r"), target.device};
}

QStringList RestoreWords(const QString& device, const QString& adapterSerial, qint32 baud, const QString& backupPath)
{
    QStringList words{QStringLiteral("q42ctl"), QStringLiteral("-r"),
                      adapterSerial.isEmpty() ? device : QLatin1String(kSerialPrefix) + adapterSerial};
    if (baud != 57600) {
        words << QStringLiteral("-s") << QString::number(baud);
    }
    return words << QStringLiteral("set") << QStringLiteral("--from") << backupPath << QStringLiteral("--save")
                 << QStringLiteral("--verify");
}

}  // namespace q42::ctl
