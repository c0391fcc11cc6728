#pragma once
// Reads a recorded video back with libavformat and libavcodec: what a player would see.
#include <QImage>
#include <QList>
#include <QString>

namespace mediaprobe {

struct Probe {
    bool opened = false;
    QString container;  // libavformat's short name ("mov,mp4,m4a,3gp,3g2,mj2", "avi")
    QString codec;      // "h264", "mpeg4" ...
    int width = 0;
    int height = 0;
    int packets = 0;                    // video packets with data
    int decodedFrames = 0;              // pictures the decoder produced
    QList<double> presentationSeconds;  // of every packet, in file order
    double durationSeconds = 0;         // last presentation end − first presentation (or the
                                        // track's duration, when longer)
    double streamDurationSeconds = 0;   // what the container's index says, 0 if nothing
    QImage firstFrame;                  // first decoded picture as RGB888
    QImage lastFrame;
    QString error;
};

// Demuxes and decodes the whole file.
Probe probe(const QString& path);

}  // namespace mediaprobe
