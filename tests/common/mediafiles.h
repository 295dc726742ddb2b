#pragma once

// Small media files for the player's tests, made with sox in a test's
// temporary folder.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace testutil {

/// A mono WAV tone of the length (seconds, fractions allowed) at `path`;
/// false when sox failed. A low sample rate keeps long files small.
inline bool MakeToneWav(const QString& path, double seconds, int sampleRate = 8000)
{
    QProcess sox;
    sox.start(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QString::number(sampleRate),
                                      QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-b"),
                                      QStringLiteral("8"), path, QStringLiteral("synth"), QString::number(seconds),
                                      QStringLiteral("sine"), QStringLiteral("220")});
    return sox.waitForFinished(60000) && sox.exitStatus() == QProcess::NormalExit && sox.exitCode() == 0;
}

}  // namespace testutil
