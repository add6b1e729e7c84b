#include "app/CameraDialog.h"

#include "l10n/Localization.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

using l10n::text;

QSpinBox *portField(QWidget *parent, const char *name) {
    auto *field = new QSpinBox(parent);
    field->setObjectName(QLatin1String(name));
    field->setRange(1, 65535);  // a port outside cannot be typed
    return field;
}

}  // namespace

CameraDialog::CameraDialog(const LaunchOptions &current, const QList<LaunchOptions> &recent, QWidget *parent)
    : QDialog(parent) {
    setWindowTitle(text("camera_dialog_title"));
    host_ = new QComboBox(this);
    host_->setEditable(true);
    host_->setObjectName(QStringLiteral("camera_host"));
    // An editable list takes no name from its form label; screen readers need one on it and its field.
    const QString hostName = text("camera_host").remove(QRegularExpression(QStringLiteral("[:：]$")));
    host_->setAccessibleName(hostName);
    host_->lineEdit()->setAccessibleName(hostName);
    host_->setMinimumWidth(
        host_->fontMetrics().horizontalAdvance(QStringLiteral("camera.school.example.org")));
    for (const LaunchOptions &used : recent) host_->addItem(used.camera, used.text());
    imagePort_ = portField(this, "camera_image_port");
    commandPort_ = portField(this, "camera_command_port");
    // A recent camera brings its ports along.
    connect(host_, &QComboBox::activated, this, [this](int index) {
        if (const auto used = LaunchOptions::fromText(host_->itemData(index).toString())) fill(*used);
    });

    auto *form = new QFormLayout;
    form->addRow(text("camera_host"), host_);
    form->addRow(text("camera_image_port"), imagePort_);
    form->addRow(text("camera_command_port"), commandPort_);
    factory_ = new QPushButton(text("camera_factory"), this);
    test_ = new QPushButton(text("camera_test"), this);
    factory_->setObjectName(QStringLiteral("camera_factory"));
    test_->setObjectName(QStringLiteral("camera_test"));
    connect(factory_, &QPushButton::clicked, this, [this] { fill(LaunchOptions{}); });
    connect(test_, &QPushButton::clicked, this, &CameraDialog::runTest);
    auto *row = new QHBoxLayout;
    row->addWidget(factory_);
    row->addStretch(1);
    row->addWidget(test_);
    result_ = new QLabel(this);
    result_->setWordWrap(true);
    result_->setMinimumHeight(result_->fontMetrics().lineSpacing() * 3);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons_, &QDialogButtonBox::accepted, this, &CameraDialog::tryAccept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(row);
    layout->addWidget(result_);
    layout->addWidget(buttons_);
    fill(current);
}

CameraDialog::~CameraDialog() = default;

QPushButton *CameraDialog::okButton() const {
    return buttons_->button(QDialogButtonBox::Ok);
}

LaunchOptions CameraDialog::camera() const {
    LaunchOptions camera;
    camera.camera = host_->currentText().trimmed();
    camera.imagePort = static_cast<std::uint16_t>(imagePort_->value());
    camera.commandPort = static_cast<std::uint16_t>(commandPort_->value());
    return camera;
}

void CameraDialog::fill(const LaunchOptions &camera) {
    host_->setCurrentText(camera.camera);
    imagePort_->setValue(camera.imagePort);
    commandPort_->setValue(camera.commandPort);
}

void CameraDialog::runTest() {
    if (camera().camera.isEmpty()) {
        result_->setText(text("camera_host_empty"));
        return;
    }
    result_->setText(text("camera_testing"));
    test_->setEnabled(false);
    probe_ = std::make_unique<CameraProbe>(camera());
    connect(probe_.get(), &CameraProbe::finished, this, [this](const CameraProbe::Outcome &outcome) {
        result_->setText(outcome.text);
        test_->setEnabled(true);
        // Not deleted from inside its own signal, nor after a newer test has replaced it.
        QMetaObject::invokeMethod(
            this,
            [this, done = probe_.get()] {
                if (probe_.get() == done) probe_.reset();
            },
            Qt::QueuedConnection);
        emit tested(outcome);
    });
}

void CameraDialog::tryAccept() {
    const LaunchOptions chosenCamera = camera();
    if (chosenCamera.camera.isEmpty()) {
        result_->setText(text("camera_host_empty"));
        return;
    }
    okButton()->setEnabled(false);
    QHostInfo::lookupHost(chosenCamera.camera, this, [this, chosenCamera](const QHostInfo &info) {
        okButton()->setEnabled(true);
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
            result_->setText(text("camera_host_unknown").arg(chosenCamera.camera));
            return;
        }
        emit chosen(chosenCamera);
        accept();
    });
}
