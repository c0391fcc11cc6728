#include "MediaProbe.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace mediaprobe {

namespace {

QImage toImage(const AVFrame* frame)
{
    SwsContext* scaler =
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                       frame->height, AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!scaler)
        return QImage();
    // swscale may write a little past the last pixel of a row: give it its own padded
    // buffer and copy from there.
    uint8_t* target[4] = {};
    int stride[4] = {};
    if (av_image_alloc(target, stride, frame->width, frame->height + 1, AV_PIX_FMT_RGB24, 64) < 0) {
        sws_freeContext(scaler);
        return QImage();
    }
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, target, stride);
    sws_freeContext(scaler);
    const QImage image =
        QImage(target[0], frame->width, frame->height, stride[0], QImage::Format_RGB888).copy();
    av_freep(&target[0]);
    return image;
}

}  // namespace

Probe probe(const QString& path)
{
    Probe result;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0) {
        result.error = QStringLiteral("cannot open");
        return result;
    }
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) {
        result.error = QStringLiteral("no video stream");
        avformat_close_input(&format);
        return result;
    }
    AVStream* stream = format->streams[index];
    result.opened = true;
    result.container = QString::fromLatin1(format->iformat->name);
    result.codec = QString::fromLatin1(avcodec_get_name(stream->codecpar->codec_id));
    result.width = stream->codecpar->width;
    result.height = stream->codecpar->height;

    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    AVCodecContext* context = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    if (context) {
        avcodec_parameters_to_context(context, stream->codecpar);
        if (avcodec_open2(context, decoder, nullptr) < 0)
            avcodec_free_context(&context);
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    double first = 0;
    double end = 0;
    auto receive = [&]() {
        while (context && avcodec_receive_frame(context, frame) == 0) {
            if (result.decodedFrames == 0)
                result.firstFrame = toImage(frame);
            ++result.decodedFrames;
            result.lastFrame = toImage(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && packet->size > 0) {
            const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            const double at = pts * av_q2d(stream->time_base);
            const double until = (pts + packet->duration) * av_q2d(stream->time_base);
            if (result.packets == 0)
                first = at;
            first = std::min(first, at);
            end = std::max(end, until);
            result.presentationSeconds << at;
            ++result.packets;
            if (context && avcodec_send_packet(context, packet) == 0)
                receive();
        }
        av_packet_unref(packet);
    }
    if (context) {
        avcodec_send_packet(context, nullptr);
        receive();
    }
    result.durationSeconds = result.packets ? end - first : 0;
    if (stream->duration > 0 && stream->duration != AV_NOPTS_VALUE)
        result.streamDurationSeconds = stream->duration * av_q2d(stream->time_base);
    // libavformat hands out the last packet of a fragmented MP4 with the duration of the
    // one before; the track's own duration knows better.
    result.durationSeconds = std::max(result.durationSeconds, result.streamDurationSeconds);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&context);
    avformat_close_input(&format);
    return result;
}

}  // namespace mediaprobe
