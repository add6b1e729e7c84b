#pragma once

// A viewer under test: its own receiver, the window at 1280x800 on the offscreen platform, and a simulator
// that a test may start. Torn down in that order, viewer first. Each test starts with the viewer's
// remembered settings (mirror, flip, status overlay, recording size) at their defaults.

#include "SimulatorProcess.h"
#include "app/ViewController.h"
#include "device/ImageRecvTCPSocket.h"
#include "viewer/LaunchOptions.h"
#include "viewer/ViewerSettings.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

class ViewerTestFixture : public testing::Test {
  protected:
    void TearDown() override {
        viewer.reset();
        receiver.reset();
        simulator.stop();
    }

    void startViewer(std::uint16_t imagePort, std::uint16_t commandPort, bool keepSettings = false) {
        if (!keepSettings) {
            const auto settings = ViewerSettings::open();
            for (const char *key : ViewerSettings::kSwitchKeys) settings->remove(QLatin1String(key));
            settings->remove(QLatin1String(ViewerSettings::kRecordingSizeKey));
            settings->remove(QLatin1String(ViewerSettings::kUntoldRecordingEndsKey));
        }
        viewer.reset();
        LaunchOptions options;
        options.camera = QStringLiteral("127.0.0.1");
        options.imagePort = imagePort;
        options.commandPort = commandPort;
        receiver = std::make_unique<ImageRecvTCPSocket>();
        viewer = std::make_unique<ViewController>(options, *receiver);
        viewer->resize(1280, 800);
        viewer->show();
    }

    SimulatorProcess simulator;
    std::unique_ptr<ImageRecvTCPSocket> receiver;
    std::unique_ptr<ViewController> viewer;
};
