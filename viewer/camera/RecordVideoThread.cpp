#include "RecordVideoThread.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <QDebug>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "PictureLogic.h"
#include "SequencePicture.h"
#include "VexoCameraApi.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int kGroupOfPictures = 12;
constexpr int kOutputBufferBytes = 64 * 1024;
// AVI stores a chunk for every tick without a frame; libavformat refuses gaps of more
// than 60000 of them in one go.
constexpr qint64 kAviMaxGapTicks = 50000;
constexpr int kFolderCheckMs = 500;

QString errorText(int result)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(result, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

bool isAvi(const AVOutputFormat* format)
{
    return format && qstrcmp(format->name, "avi") == 0;
}

bool isMp4Family(const AVOutputFormat* format)
{
    return format && (qstrcmp(format->name, "mp4") == 0 || qstrcmp(format->name, "mov") == 0);
}

using frameinfolog::steadyNowUs;
using frameinfolog::wallNowUs;

// The row of a frame that came without the camera's description (writeFrame and the
// slot): its position stands in for the camera's number.
frameinfolog::FrameRow plainRow(const QImage& image, qint64 captureUs)
{
    frameinfolog::FrameRow row;
    row.frameNumber = -1;
    row.cameraTimeUs = captureUs;
    row.hostSteadyUs = steadyNowUs();
    row.hostWallUs = wallNowUs();
    row.width = image.width();
    row.height = image.height();
    row.pixelFormat = VEXO_SDK_PIXEL_RGB8;
    return row;
}

}  // namespace

// The file under the muxer: plain descriptor I/O, so a failed write keeps its errno
// (full disk, permission, vanished folder) for the message the user gets.
struct RecordVideoThread::Output {
    int fd = -1;
    qint64 position = 0;
    qint64 committed = 0;  // file size after the last complete header or packet
    int lastErrno = 0;
    std::function<int(qint64, int)> fault;
    AVIOContext* io = nullptr;

    ~Output()
    {
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
        if (fd >= 0)
            ::close(fd);
    }

    static int write(void* opaque, uint8_t* data, int size)
    {
        auto* self = static_cast<Output*>(opaque);
        if (self->fault) {
            if (const int injected = self->fault(self->position, size)) {
                self->lastErrno = injected;
                return AVERROR(injected);
            }
        }
        int done = 0;
        while (done < size) {
            const auto n = ::write(self->fd, data + done, size - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                self->lastErrno = errno;
                return AVERROR(errno);
            }
            done += int(n);
            self->position += n;
        }
        return done;
    }

    static int64_t seek(void* opaque, int64_t offset, int whence)
    {
        auto* self = static_cast<Output*>(opaque);
        if (whence & AVSEEK_SIZE) {
            struct stat info {};
            return ::fstat(self->fd, &info) == 0 ? int64_t(info.st_size) : AVERROR(errno);
        }
#ifdef Q_OS_WIN
        const int64_t at = _lseeki64(self->fd, offset, whence & ~AVSEEK_FORCE);
#else
        const int64_t at = ::lseek(self->fd, offset, whence & ~AVSEEK_FORCE);
#endif
        if (at < 0)
            return AVERROR(errno);
        self->position = at;
        return at;
    }
};

RecordVideoThread::RecordVideoThread(int bitRate, int frameRate, int width, int height,
                                     const QByteArray& filePath, QObject* parent)
    : RecordVideoThread(bitRate, frameRate, width, height, filePath, Options(), parent)
{
}

RecordVideoThread::RecordVideoThread(int bitRate, int frameRate, int width, int height,
                                     const QByteArray& filePath, const Options& recorderOptions,
                                     QObject* parent)
    : QThread(parent),
      bitRate(bitRate),
      rate(frameRate),
      width(width),
      height(height),
      path(filePath),
      options(recorderOptions),
      timeline(true, 1, 0)
{
    if (options.imageSequence) {
        openSequence();
        return;
    }
    // The sidecar first: a video file is only made when its sidecar could be.
    if (!options.frameInfoPath.isEmpty()) {
        if (const int error = infoLog.open(options.frameInfoPath)) {
            fail(problemForErrno(error), AVERROR(error));
            return;
        }
    }
    open();
    if (!opened && infoLog.isOpen()) {
        infoLog.close();
        ::unlink(options.frameInfoPath.constData());
    }
}

void RecordVideoThread::openSequence()
{
    if (width <= 0 || height <= 0 || path.isEmpty() || path.contains('\0')) {
        fail(Problem::OpenFailed, AVERROR(EINVAL));
        return;
    }
    // A folder of its own that nobody else writes in: never one that is there already.
    if (::mkdir(path.constData(), 0777) != 0) {
        const int error = errno;
        fail(error == EEXIST ? Problem::OpenFailed : problemForErrno(error), AVERROR(error));
        return;
    }
    const QByteArray sidecar =
        options.frameInfoPath.isEmpty() ? path + "/frames.csv" : options.frameInfoPath;
    if (const int error = infoLog.open(sidecar)) {
        fail(problemForErrno(error), AVERROR(error));
        ::rmdir(path.constData());
        return;
    }
    options.frameInfoPath = sidecar;
    encodeWidth = width;
    encodeHeight = height;
    arrivalClock.start();
    folderCheck.start();
    opened = true;
}

RecordVideoThread::~RecordVideoThread()
{
    endRecording();
    wait();
    finish();
}

bool RecordVideoThread::fail(Problem problem, int result)
{
    currentProblem = problem;
    lastResultCode = result;
    detail = result < 0 ? errorText(result) : QString();
    qWarning() << "Recording" << path << problem << result << detail;
    return false;
}

RecordVideoThread::Problem RecordVideoThread::problemForWrite(int result) const
{
    return problemForErrno(output && output->lastErrno ? output->lastErrno : AVUNERROR(result));
}

RecordVideoThread::Problem RecordVideoThread::problemForErrno(int code)
{
    switch (code) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return Problem::DiskFull;
        case EACCES:
        case EPERM:
        case EROFS:
            return Problem::NoPermission;
        case ENOENT:
        case ENOTDIR:
            return Problem::FolderMissing;
        default:
            return Problem::WriteFailed;
    }
}

void RecordVideoThread::open()
{
    // libx264 and YUV 4:2:0 need even sizes; an odd size gets one more row or column,
    // a copy of the last, so every pixel of the camera is in the file.
    encodeWidth = width > 0 ? (width + 1) & ~1 : 0;
    encodeHeight = height > 0 ? (height + 1) & ~1 : 0;
    if (rate <= 0 || encodeWidth <= 0 || encodeHeight <= 0) {
        fail(Problem::OpenFailed, AVERROR(EINVAL));
        return;
    }
    // open() and FFmpeg would end the name at a NUL and write a file of another name.
    if (path.isEmpty() || path.contains('\0')) {
        fail(Problem::OpenFailed, AVERROR(EINVAL));
        return;
    }

    int result = avformat_alloc_output_context2(&formatContext, nullptr, nullptr, path.constData());
    if (!formatContext)
        result = avformat_alloc_output_context2(&formatContext, nullptr, "mpeg", path.constData());
    if (!formatContext) {
        fail(Problem::OpenFailed, result);
        return;
    }
    outputFormat = formatContext->oformat;
    encoder = avcodec_find_encoder(outputFormat->video_codec);
    if (!encoder) {
        fail(Problem::OpenFailed, AVERROR_ENCODER_NOT_FOUND);
        return;
    }
    videoStream = avformat_new_stream(formatContext, nullptr);
    if (!videoStream) {
        fail(Problem::OpenFailed, AVERROR(ENOMEM));
        return;
    }
    videoStream->id = int(formatContext->nb_streams) - 1;
    codecContext = avcodec_alloc_context3(encoder);
    if (!codecContext || encoder->type != AVMEDIA_TYPE_VIDEO) {
        fail(Problem::OpenFailed, AVERROR(EINVAL));
        return;
    }

    const int ticks =
        recordinglogic::ticksPerSecondFor(options.realTime, isAvi(outputFormat), rate);
    timeline = recordinglogic::FrameTimeline(options.realTime, ticks,
                                             isAvi(outputFormat) ? kAviMaxGapTicks : 0);
    packetDuration = qMax<qint64>(1, ticks / rate);

    codecContext->codec_type = AVMEDIA_TYPE_VIDEO;
    codecContext->codec_id = outputFormat->video_codec;
    codecContext->bit_rate = bitRate;
    codecContext->width = encodeWidth;
    codecContext->height = encodeHeight;
    codecContext->time_base = AVRational{1, ticks};
    // The nominal rate steers the encoder's rate control when stamps are finer.
    codecContext->framerate = AVRational{rate, 1};
    codecContext->gop_size = kGroupOfPictures;
    codecContext->pix_fmt = AV_PIX_FMT_YUV420P;
    videoStream->time_base = codecContext->time_base;
    videoStream->avg_frame_rate = codecContext->framerate;
    // Fragmented MP4 writes its header before the first frame, so the decoder set-up
    // has to be known then.
    if (outputFormat->flags & AVFMT_GLOBALHEADER)
        codecContext->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (codecContext->codec_id == AV_CODEC_ID_H264) {
        av_opt_set(codecContext->priv_data, "preset", h264Preset(), 0);
        av_opt_set(codecContext->priv_data, "tune", "zerolatency", 0);
    }
    for (const auto& option : options.encoderOptions)
        av_opt_set(codecContext, option.first.constData(), option.second.constData(),
                   AV_OPT_SEARCH_CHILDREN);

    result = avcodec_open2(codecContext, encoder, nullptr);
    if (result < 0) {
        fail(Problem::OpenFailed, result);
        return;
    }
    result = avcodec_parameters_from_context(videoStream->codecpar, codecContext);
    if (result < 0) {
        fail(Problem::OpenFailed, result);
        return;
    }
    av_dump_format(formatContext, 0, path.constData(), 1);

    if (!(outputFormat->flags & AVFMT_NOFILE)) {
        output = std::make_unique<Output>();
        output->fault = options.writeFault;
        // Never replaces a file: the window picks a free name first.
        output->fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0666);
        if (output->fd < 0) {
            output->lastErrno = errno;
            fail(problemForWrite(AVERROR(errno)), AVERROR(errno));
            return;
        }
        auto* buffer = static_cast<unsigned char*>(av_malloc(kOutputBufferBytes));
        output->io = avio_alloc_context(buffer, kOutputBufferBytes, 1, output.get(), nullptr,
                                        &Output::write, &Output::seek);
        if (!output->io) {
            av_free(buffer);
            fail(Problem::OpenFailed, AVERROR(ENOMEM));
            return;
        }
        formatContext->pb = output->io;
        formatContext->flags |= AVFMT_FLAG_CUSTOM_IO;
    }

    AVDictionary* muxerOptions = nullptr;
    // Every packet reaches the disk at once, and MP4 goes in self-contained fragments:
    // a recording cut short by a crash keeps what was recorded.
    av_dict_set(&muxerOptions, "flush_packets", "1", 0);
    fragmented = isMp4Family(outputFormat);
    if (fragmented)
        av_dict_set(&muxerOptions, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    result = avformat_write_header(formatContext, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (result < 0) {
        fail(problemForWrite(result), result);
        return;
    }
    headerWritten = true;
    if (!commitOutput()) {
        fail(problemForWrite(AVERROR(output->lastErrno)), AVERROR(output->lastErrno));
        return;
    }

    picture = av_frame_alloc();
    packet = av_packet_alloc();
    heldPacket = av_packet_alloc();
    if (!picture || !packet || !heldPacket) {
        fail(Problem::OpenFailed, AVERROR(ENOMEM));
        return;
    }
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = encodeWidth;
    picture->height = encodeHeight;
    result = av_frame_get_buffer(picture, 0);
    if (result < 0) {
        fail(Problem::OpenFailed, result);
        return;
    }
    arrivalClock.start();
    folderCheck.start();
    opened = true;
}

const char* RecordVideoThread::h264Preset() const
{
    // The slowest preset that keeps up with this size and rate (RecordingLogic.h).
    return recordinglogic::h264PresetFor(encodeWidth, encodeHeight, rate);
}

void RecordVideoThread::image_to_avframe(QImage image)
{
    const qint64 arrivalUs = arrivalClock.isValid() ? arrivalClock.nsecsElapsed() / 1000 : 0;
    enqueueFrame(image, options.captureClockUs ? options.captureClockUs() : arrivalUs);
}

void RecordVideoThread::takeFrame(const QImage& image, const framehandover::FrameInfo& frame)
{
    takeFrameAt(image, frame, steadyNowUs(), wallNowUs());
}

void RecordVideoThread::takeFrameAt(const QImage& image, const framehandover::FrameInfo& frame,
                                    qint64 hostSteadyUs, qint64 hostWallUs)
{
    frameinfolog::FrameRow row;
    row.frameNumber = frame.info.frameNumber;
    row.cameraTimeUs = qint64(frame.info.timestampMs) * 1000;
    row.hostSteadyUs = hostSteadyUs;
    row.hostWallUs = hostWallUs;
    row.exposureUs = frame.info.exposureUs;
    row.gainMilli = frame.info.analogGainMilli;
    // A sequence of a deep grey camera keeps the camera's own values, 16-bit grey; a
    // frame that came without them (the first, while the camera window was still asking
    // for them) is widened from its shown image, so the folder holds one format.
    // A video file takes the shown image.
    QImage source = image;
    if (options.imageSequence && picturelogic::deepGreyBits(quint32(frame.info.rawFormat)) != 0)
        source = frame.native.isNull() ? image.convertToFormat(QImage::Format_Grayscale16)
                                       : frame.native;
    row.width = source.width();
    row.height = source.height();
    row.pixelFormat = quint32(frame.info.rawFormat);
    if (!enqueue(source, row.cameraTimeUs, row))
        return;
    qint64 none = -1;
    if (firstNumber.compare_exchange_strong(none, frame.info.frameNumber)) {
        std::lock_guard<std::mutex> lock(firstMutex);
        first =
            FirstFrame{true, row.frameNumber, row.cameraTimeUs, row.hostSteadyUs, row.hostWallUs};
    }
    lastNumber.store(frame.info.frameNumber);
}

RecordVideoThread::FirstFrame RecordVideoThread::firstFrame() const
{
    std::lock_guard<std::mutex> lock(firstMutex);
    return first;
}

int RecordVideoThread::framesQueued() const
{
    std::lock_guard<std::mutex> lock(queueMutex);
    return int(queue.size());
}

bool RecordVideoThread::enqueueFrame(const QImage& image, qint64 captureUs)
{
    return enqueue(image, captureUs, plainRow(image, captureUs));
}

bool RecordVideoThread::enqueue(const QImage& image, qint64 captureUs,
                                const frameinfolog::FrameRow& row)
{
    const qint64 arrivalUs = arrivalClock.isValid() ? arrivalClock.nsecsElapsed() / 1000 : 0;
    // A run of fixed length ends here, before the frame counts as offered: a frame
    // after the end is not lost, it was never asked for.
    if ((options.frameLimit > 0 && acceptedFrames.load() >= options.frameLimit) ||
        (options.durationLimitMs > 0 && arrivalUs >= options.durationLimitMs * 1000)) {
        if (!limitHit.exchange(true))
            emit recordingLimitReached();
        return false;
    }
    offeredFrames.fetch_add(1);
    const std::size_t bytes = std::size_t(image.bytesPerLine()) * std::size_t(image.height());
    std::unique_lock<std::mutex> lock(queueMutex);
    const bool full = int(queue.size()) >= kQueueMinimumFrames &&
                      queuedBytes + qint64(bytes) > options.queueLimitBytes;
    if (!opened || ending || finished || failed.load() || full || image.isNull()) {
        droppedFrames.fetch_add(1);
        return false;
    }
    QueuedFrame frame;
    // A spare buffer large enough is used again: a fresh one per frame would cost the
    // acquisition thread the pages of a new allocation every time.
    for (auto it = spareFrames.begin(); it != spareFrames.end(); ++it) {
        if (it->capacity >= bytes) {
            frame = std::move(*it);
            spareFrames.erase(it);
            break;
        }
    }
    lock.unlock();
    if (frame.capacity < bytes) {
        frame.pixels.reset(new (std::nothrow) uchar[bytes]);
        frame.capacity = frame.pixels ? bytes : 0;
        if (!frame.pixels) {
            droppedFrames.fetch_add(1);
            return false;
        }
    }
    std::memcpy(frame.pixels.get(), image.constBits(), bytes);
    frame.width = image.width();
    frame.height = image.height();
    frame.bytesPerLine = int(image.bytesPerLine());
    frame.format = image.format();
    frame.captureUs = captureUs;
    frame.arrivalUs = arrivalUs;
    frame.row = row;
    lock.lock();
    queuedBytes += qint64(frame.capacity);
    queue.push_back(std::move(frame));
    acceptedFrames.fetch_add(1);
    lock.unlock();
    queueChanged.notify_all();
    return true;
}

void RecordVideoThread::endRecording()
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        ending = true;
        queueHeld = false;
    }
    queueChanged.notify_all();
}

void RecordVideoThread::holdQueue(bool hold)
{
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        queueHeld = hold;
    }
    queueChanged.notify_all();
}

void RecordVideoThread::run()
{
    writeQueue();
    finish();
}

void RecordVideoThread::writeQueue()
{
    for (;;) {
        QueuedFrame frame;
        {
            std::unique_lock<std::mutex> lock(queueMutex);
            queueChanged.wait(lock, [this] { return (!queue.empty() && !queueHeld) || ending; });
            if (queue.empty() || (queueHeld && !ending))
                return;
            frame = std::move(queue.front());
            queue.pop_front();
        }
        // A recording that failed keeps the frames it could not take counted.
        if (!writeQueuedFrame(frame) && failed.load())
            droppedFrames.fetch_add(1);
        std::lock_guard<std::mutex> lock(queueMutex);
        queuedBytes -= qint64(frame.capacity);
        if (spareFrames.size() < std::size_t(kQueueMinimumFrames))
            spareFrames.push_back(std::move(frame));
    }
}

bool RecordVideoThread::writeQueuedFrame(const QueuedFrame& frame)
{
    const QImage image(frame.pixels.get(), frame.width, frame.height, frame.bytesPerLine,
                       frame.format);
    return writeFrameAt(image, frame.captureUs, frame.arrivalUs, frame.row);
}

bool RecordVideoThread::writeFrame(const QImage& image, qint64 captureUs)
{
    return writeFrameAt(image, captureUs,
                        arrivalClock.isValid() ? arrivalClock.nsecsElapsed() / 1000 : 0,
                        plainRow(image, captureUs));
}

bool RecordVideoThread::failWriting(Problem problem, int errnoCode)
{
    failed = true;
    fail(problem, AVERROR(errnoCode));
    emit recordingProblem(int(currentProblem), detail);
    return false;
}

bool RecordVideoThread::writeInfoRow(const frameinfolog::FrameRow& row)
{
    if (!infoLog.isOpen())
        return true;
    frameinfolog::FrameRow complete = row;
    if (complete.frameNumber < 0)
        complete.frameNumber = infoLog.rows();
    if (const int error = infoLog.append(complete))
        return failWriting(problemForErrno(error), error);
    infoRows.store(infoLog.rows());
    return true;
}

bool RecordVideoThread::writePicture(const QImage& image)
{
    sequencepicture::Picture picture;
    picture.rgb = image.constBits();
    picture.width = image.width();
    picture.height = image.height();
    picture.bytesPerLine = int(image.bytesPerLine());
    picture.grey = greyFrames;
    picture.bits = image.format() == QImage::Format_Grayscale16 ? 16 : 8;
    const int error =
        sequencepicture::write(path, sequencepicture::pictureName(encodedFrames.load()), picture,
                               pictureScratch, options.writeFault);
    if (error != 0)
        return failWriting(problemForErrno(error), error);
    return true;
}

bool RecordVideoThread::writeFrameAt(const QImage& image, qint64 captureUs, qint64 arrivalUs,
                                     frameinfolog::FrameRow row)
{
    if (!opened || failed || finished)
        return false;
    if (image.width() != width || image.height() != height) {
        // A region change while recording: the file keeps its size, these frames are
        // left out rather than read beyond their rows.
        skippedFrames.fetch_add(1);
        if (!mismatchReported) {
            mismatchReported = true;
            emit recordingProblem(int(Problem::SizeMismatch),
                                  QStringLiteral("%1x%2").arg(image.width()).arg(image.height()));
        }
        return true;
    }
    if (folderCheck.elapsed() >= kFolderCheckMs) {
        folderCheck.restart();
        if (!folderStillThere()) {
            failed = true;
            fail(Problem::FolderMissing, AVERROR(ENOENT));
            emit recordingProblem(int(currentProblem), detail);
            return false;
        }
    }

    const bool deepGrey = image.format() == QImage::Format_Grayscale16;
    const QImage rgb = image.format() == QImage::Format_RGB888 || deepGrey
                           ? image
                           : image.convertToFormat(QImage::Format_RGB888);
    if (options.imageSequence) {
        // The picture first, its row after: every row listed names a whole picture.
        greyFrames = deepGrey || frameinfolog::isGreyFormat(row.pixelFormat);
        if (!writePicture(rgb))
            return false;
        encodedFrames.fetch_add(1);
        return writeInfoRow(row);
    }
    scaler = sws_getCachedContext(scaler, encodeWidth, encodeHeight, AV_PIX_FMT_RGB24, encodeWidth,
                                  encodeHeight, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr,
                                  nullptr);
    int result = av_frame_make_writable(picture);
    if (!scaler || result < 0) {
        fail(Problem::WriteFailed, result < 0 ? result : AVERROR(ENOMEM));
        failed = true;
        emit recordingProblem(int(currentProblem), detail);
        return false;
    }
    // Rows as the image lays them out, whatever their padding. An odd size is grown by
    // repeating the last column and row.
    const uint8_t* source[1] = {rgb.constBits()};
    int sourceStride[1] = {int(rgb.bytesPerLine())};
    if (encodeWidth != width || encodeHeight != height) {
        const int paddedLine = encodeWidth * 3;
        paddedRgb.resize(std::size_t(paddedLine) * std::size_t(encodeHeight));
        for (int y = 0; y < encodeHeight; ++y) {
            const uchar* from = rgb.constScanLine(qMin(y, height - 1));
            uchar* to = paddedRgb.data() + std::size_t(y) * std::size_t(paddedLine);
            std::memcpy(to, from, std::size_t(width) * 3);
            if (encodeWidth != width)
                std::memcpy(to + std::size_t(width) * 3, from + std::size_t(width - 1) * 3, 3);
        }
        source[0] = paddedRgb.data();
        sourceStride[0] = paddedLine;
    }
    sws_scale(scaler, source, sourceStride, 0, encodeHeight, picture->data, picture->linesize);
    picture->pts = timeline.stamp(captureUs, arrivalUs);
    frameRefused = false;
    if (!encode(picture))
        return false;
    encodedFrames.fetch_add(1);
    // The frame's row waits until the frame itself is in the file (see releaseRows).
    if (infoLog.isOpen() && !frameRefused)
        pendingRows.push_back(row);
    return true;
}

bool RecordVideoThread::releaseRows(qint64 framesInFile)
{
    while (!pendingRows.empty() && infoLog.rows() < framesInFile) {
        if (!writeInfoRow(pendingRows.front()))
            return false;
        pendingRows.pop_front();
    }
    return true;
}

bool RecordVideoThread::encode(AVFrame* frame)
{
    int result = avcodec_send_frame(codecContext, frame);
    if (result < 0 && result != AVERROR_EOF) {
        frameRefused = true;
        lastResultCode = result;
        qDebug() << "avcodec_send_frame" << errorText(result);
        return true;  // the encoder refused this frame; the recording goes on
    }
    // Every packet the encoder has ready, not only the first.
    for (;;) {
        result = avcodec_receive_packet(codecContext, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0) {
            lastResultCode = result;
            return true;
        }
        if (packet->duration <= 0)
            packet->duration = packetDuration;
        if (heldPacket->size > 0 && packet->dts > heldPacket->dts)
            heldPacket->duration = packet->dts - heldPacket->dts;
        if (!writeHeldPacket())
            return false;
        av_packet_move_ref(heldPacket, packet);
    }
}

bool RecordVideoThread::writeHeldPacket()
{
    if (heldPacket->size <= 0)
        return true;
    av_packet_rescale_ts(heldPacket, codecContext->time_base, videoStream->time_base);
    heldPacket->stream_index = videoStream->index;
    const bool key = (heldPacket->flags & AV_PKT_FLAG_KEY) != 0;
    int result = av_interleaved_write_frame(formatContext, heldPacket);
    av_packet_unref(heldPacket);
    if (result >= 0 && !commitOutput())
        result = AVERROR(output->lastErrno);
    if (result < 0) {
        failed = true;
        fail(problemForWrite(result), result);
        emit recordingProblem(int(currentProblem), detail);
        return false;
    }
    ++writtenPackets;
    // Packets reach the file as they are written, except in MP4, whose fragments are
    // written whole when the next key frame begins a new one: only then are the frames
    // before that key frame readable after a crash.
    if (!fragmented)
        return releaseRows(writtenPackets.load());
    return key ? releaseRows(writtenPackets.load() - 1) : true;
}

bool RecordVideoThread::commitOutput()
{
    if (!output || !output->io)
        return true;
    avio_flush(output->io);
    if (output->io->error < 0) {
        if (!output->lastErrno)
            output->lastErrno = AVUNERROR(output->io->error);
        return false;
    }
    output->committed = output->position;
    return true;
}

bool RecordVideoThread::folderStillThere()
{
    if (!output || output->fd < 0)
        return true;
    struct stat open {};
    struct stat named {};
    if (::fstat(output->fd, &open) != 0)
        return true;
    // Removing the folder on a system that allows it unlinks the file under us: writing
    // on would look fine and lose everything.
    return ::stat(path.constData(), &named) == 0 && named.st_ino == open.st_ino &&
           named.st_dev == open.st_dev;
}

void RecordVideoThread::finish()
{
    if (finished)
        return;
    if (!isRunning() || QThread::currentThread() == this) {
        // Frames queued while no thread ran go in first.
        {
            std::lock_guard<std::mutex> lock(queueMutex);
            ending = true;
            queueHeld = false;
        }
        writeQueue();
    }
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        finished = true;
    }
    if (opened && !failed && !options.imageSequence) {
        // Frames still inside the encoder belong in the file too.
        const qint64 end = timeline.endStamp(arrivalClock.nsecsElapsed() / 1000);
        if (encode(nullptr)) {
            if (heldPacket->size > 0 && end > heldPacket->pts)
                heldPacket->duration = qMax<qint64>(heldPacket->duration, end - heldPacket->pts);
            writeHeldPacket();
        }
    }
    if (failed && output && output->fd >= 0) {
        // The write that failed may have left half a packet (or half an MP4 fragment
        // header, which makes the whole file unreadable): cut back to the last complete
        // one. No trailer: it would not fit, and the file plays without one.
        if (output->io)
            output->io->error = 0;
#ifdef Q_OS_WIN
        _chsize_s(output->fd, output->committed);
#else
        if (::ftruncate(output->fd, output->committed) != 0)
            qDebug() << "ftruncate" << path << errno;
#endif
        if (output->io) {
            av_freep(&output->io->buffer);
            avio_context_free(&output->io);
            formatContext->pb = nullptr;
        }
    }
    if (formatContext && headerWritten && !failed) {
        int result = av_write_trailer(formatContext);
        if (result >= 0 && !commitOutput())
            result = AVERROR(output->lastErrno ? output->lastErrno : EIO);
        if (result < 0)
            fail(Problem::FinishFailed, result);
        else
            releaseRows(std::numeric_limits<qint64>::max());  // the last fragment is out
    }
    pendingRows.clear();  // frames that never reached the file have no row
    if (codecContext)
        avcodec_free_context(&codecContext);
    sws_freeContext(scaler);
    scaler = nullptr;
    av_frame_free(&picture);
    av_packet_free(&packet);
    av_packet_free(&heldPacket);
    if (output && output->io)
        avio_flush(output->io);
    // A file that never got a header holds nothing; it was created here, so it goes.
    const bool removeFile = output && output->fd >= 0 && !headerWritten;
    output.reset();
    infoLog.close();
    if (removeFile)
        ::unlink(path.constData());
    if (formatContext) {
        avformat_free_context(formatContext);
        formatContext = nullptr;
    }
}
