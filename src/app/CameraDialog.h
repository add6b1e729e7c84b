#pragma once

// The camera dialog (Ctrl+K): the camera's address or host name and its two ports, the last cameras used,
// the factory settings one click away, and "Test", which says what answers there. OK refuses an empty or
// unknown host with a message in the dialog and changes nothing; a good one is told through chosen().
//
// Thread use: GUI thread.

#include "app/CameraProbe.h"
#include "viewer/LaunchOptions.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QSpinBox;

class CameraDialog : public QDialog {
    Q_OBJECT
  public:
    CameraDialog(const LaunchOptions &current, const QList<LaunchOptions> &recent, QWidget *parent = nullptr);
    ~CameraDialog() override;

    // What the fields say now.
    LaunchOptions camera() const;

    // The dialog's parts, for the window's tests.
    QComboBox *hostField() const { return host_; }
    QSpinBox *imagePortField() const { return imagePort_; }
    QSpinBox *commandPortField() const { return commandPort_; }
    QPushButton *factoryButton() const { return factory_; }
    QPushButton *testButton() const { return test_; }
    QPushButton *okButton() const;
    QLabel *resultLabel() const { return result_; }

  signals:
    // OK with a host that resolves.
    void chosen(const LaunchOptions &camera);
    // A test has said what answered (resultLabel() holds it).
    void tested(const CameraProbe::Outcome &outcome);

  private:
    void fill(const LaunchOptions &camera);
    void runTest();
    void tryAccept();

    QComboBox *host_ = nullptr;
    QSpinBox *imagePort_ = nullptr;
    QSpinBox *commandPort_ = nullptr;
    QPushButton *factory_ = nullptr;
    QPushButton *test_ = nullptr;
    QLabel *result_ = nullptr;
    QDialogButtonBox *buttons_ = nullptr;
    std::unique_ptr<CameraProbe> probe_;
};
