#include "viewer/PictureDecoder.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

ImageBytes jpegOf(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return std::make_shared<const std::vector<std::uint8_t>>(data.begin(), data.end());
}

// Results as the GUI thread would get them, collected for the test.
struct Results {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<FramePump::Decoded> decoded;

    void add(FramePump::Decoded result) {
        std::lock_guard lock(mutex);
        decoded.push_back(std::move(result));
        arrived.notify_all();
    }
    bool waitFor(std::size_t count) {
        std::unique_lock lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(10), [&] { return decoded.size() >= count; });
    }
};

FramePump::Job jobOf(const ImageBytes &bytes, std::uint64_t order) {
    FramePump::Job job;
    job.bytes = bytes;
    job.order = order;
    return job;
}

// A burst of jobs faster than the workers: the newest is always decoded, and what waited in between was
// replaced rather than queued, so the screen never works through a backlog.
TEST(PictureDecoder, ABurstDecodesTheNewestAndReplacesWhatWaited) {
    Results results;
    PictureDecoder decoder([&](FramePump::Decoded decoded) { results.add(std::move(decoded)); });
    const ImageBytes large = jpegOf({1920, 1080});
    constexpr std::uint64_t kJobs = 40;
    for (std::uint64_t order = 1; order <= kJobs; ++order) decoder.submit(jobOf(large, order));
    ASSERT_TRUE(results.waitFor(kJobs - decoder.replaced()));
    std::lock_guard lock(results.mutex);
    EXPECT_EQ(results.decoded.size() + decoder.replaced(), kJobs) << "each job decoded or replaced, once";
    EXPECT_LT(results.decoded.size(), kJobs) << "a burst does not queue up";
    bool newestDecoded = false;
    for (const auto &decoded : results.decoded) {
        EXPECT_EQ(decoded.picture.size(), QSize(1920, 1080));
        newestDecoded = newestDecoded || decoded.job.order == kJobs;
    }
    EXPECT_TRUE(newestDecoded);
}

// Pictures the view has let go of are decoded into again, once the shared cache of recent pictures has
// moved on from them too; one the view still holds keeps its pixels.
TEST(PictureDecoder, ReusesOnlyPicturesNobodyHolds) {
    Results results;
    PictureDecoder decoder([&](FramePump::Decoded decoded) { results.add(std::move(decoded)); }, 1);
    const auto decodeNext = [&](std::uint64_t order) {
        decoder.submit(jobOf(jpegOf({320, 240}), order));
        EXPECT_TRUE(results.waitFor(1));
        std::lock_guard lock(results.mutex);
        QImage picture = std::move(results.decoded.front().picture);
        results.decoded.clear();
        return picture;
    };
    const QImage held = decodeNext(1);
    std::vector<const uchar *> letGo;
    bool reused = false;
    for (std::uint64_t order = 2; order <= 8; ++order) {
        const uchar *pixels = decodeNext(order).constBits();  // shown, then let go of
        EXPECT_NE(pixels, held.constBits()) << "held by the view";
        reused = reused || std::find(letGo.begin(), letGo.end(), pixels) != letGo.end();
        letGo.push_back(pixels);
    }
    EXPECT_TRUE(reused);
}

}  // namespace
