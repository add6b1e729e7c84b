#include "recorder/FFmpeg.h"

namespace recorder {

void OutputContextDeleter::operator()(AVFormatContext *context) const {
    if (context->oformat && !(context->oformat->flags & AVFMT_NOFILE)) avio_closep(&context->pb);
    avformat_free_context(context);
}

std::string errorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_make_error_string(text, sizeof text, error);
    return text;
}

}  // namespace recorder
