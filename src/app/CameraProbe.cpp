#include "app/CameraProbe.h"

#include "device/JpegDecoder.h"
#include "l10n/Localization.h"
#include "net/AsyncUdpSocket.h"

namespace {

using l10n::text;

}  // namespace

CameraProbe::CameraProbe(const LaunchOptions &camera, QObject *parent)
    : QObject(parent), channel_(std::make_unique<CommandUDPSocket>()) {
    clock_.start();
    receiver_.initServer(camera.camera.toStdString(), camera.imagePort);
    channel_->setDelegate(this);
    channel_->ConnectUDPHost(camera.camera.toStdString(), camera.commandPort);
    channel_->sendData(nullptr, SEND_GET_RESOLUTION);
    poll_.setInterval(50);
    connect(&poll_, &QTimer::timeout, this, &CameraProbe::check);
    poll_.start();
}

CameraProbe::~CameraProbe() {
    // As for any channel: detach first, so no callback runs into a half-destroyed probe.
    if (AsyncUdpSocket *socket = channel_->m_Command_Socket()) socket->setDelegate(nullptr);
    channel_.reset();
    receiver_.detachFromCamera();
}

void CameraProbe::fillResolution() {
    list_ = channel_->m_resolution_list();
}

void CameraProbe::check() {
    const bool pictures = receiver_.picturesReceived() > 0;
    const bool commands = !list_.empty();
    if (done_ || (!(pictures && commands) && clock_.elapsed() < kPatience.count())) return;
    done_ = true;
    poll_.stop();
    emit finished({pictures, commands, picturesLine() + QLatin1Char('\n') + commandsLine()});
}

QString CameraProbe::picturesLine() const {
    if (const ImageBytes bytes = receiver_.getFirstImageData(); bytes && receiver_.picturesReceived() > 0) {
        const QSize size = JpegDecoder::declaredSize(bytes->data(), bytes->size());
        return text("probe_pictures").arg(size.width()).arg(size.height());
    }
    const QString why = QString::fromStdString(receiver_.lastDisconnect());
    if (why.contains(QLatin1String("refused"), Qt::CaseInsensitive)) return text("probe_pictures_refused");
    // Connected, yet nothing the receiver takes for a picture: something else listens there.
    if (receiver_.m_AsyncTcpSocket()->isConnected()) return text("probe_pictures_no_camera");
    if (!why.isEmpty()) return text("probe_pictures_failed").arg(why);
    return text("probe_pictures_none");
}

QString CameraProbe::commandsLine() const {
    if (list_.empty()) return text("probe_commands_none");
    QStringList sizes;
    for (const STRUCT_RESOLUTION &entry : list_)
        sizes << QStringLiteral("%1×%2").arg(entry.width).arg(entry.height);
    return text("probe_commands").arg(sizes.join(QStringLiteral(", ")));
}
