#include "SimulatorProcess.h"

#include <QElapsedTimer>

#include <cstdio>

SimulatorProcess::~SimulatorProcess() {
    stop();
}

bool SimulatorProcess::start(const QStringList &options) {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(QStringLiteral(DESKCAM_SIM_PATH),
                   QStringList{"--host", "127.0.0.1", "--image-port", "0", "--command-port", "0"} + options);
    QElapsedTimer clock;
    clock.start();
    while ((imagePort_ == 0 || commandPort_ == 0) && clock.elapsed() < 10000) {
        if (!process_.canReadLine() && !process_.waitForReadyRead(200)) {
            if (process_.state() == QProcess::NotRunning) break;
            continue;
        }
        while (process_.canReadLine()) {
            const QList<QByteArray> words = process_.readLine().trimmed().split(' ');
            if (words.size() != 2) continue;
            if (words[0] == "image-port") imagePort_ = static_cast<std::uint16_t>(words[1].toUInt());
            if (words[0] == "command-port") commandPort_ = static_cast<std::uint16_t>(words[1].toUInt());
        }
    }
    if (imagePort_ != 0 && commandPort_ != 0) return true;
    std::fprintf(stderr, "deskcam-sim did not start: %s\n", process_.readAllStandardError().constData());
    return false;
}

QByteArray SimulatorProcess::takeLog() {
    process_.waitForReadyRead(0);
    return process_.readAllStandardError();
}

void SimulatorProcess::stop() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) process_.kill();
    process_.waitForFinished(1000);
}
