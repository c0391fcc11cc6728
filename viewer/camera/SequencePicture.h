#pragma once
// One picture of an image sequence: an uncompressed TIFF (lossless, readable by every
// measurement tool), 8 or 16-bit grey or 24-bit RGB, written under a hidden temporary name and
// renamed into place, so the folder only ever holds whole pictures.
#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace sequencepicture {

// Name of the picture at position (0 for the first frame) in its folder.
QByteArray pictureName(qint64 position);

struct Picture {
    const uchar* rgb = nullptr;  // packed RGB rows, or 16-bit grey rows when bits is 16
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
    bool grey = false;  // store the red channel as 8-bit grey (the frame is grey)
    int bits = 8;       // 16: the rows hold one 16-bit grey value a pixel, stored as they are
};

// Test seam: called before every write with the bytes to write; a non-zero result is
// taken as the errno of a failed write.
using WriteFault = std::function<int(qint64 offset, int bytes)>;

// Writes the picture as folder/name: 0 or the errno of what failed (ENOENT when the
// folder has gone, ENOSPC for a full disk). Nothing is left under either name on failure.
// scratch holds grey rows between calls.
int write(const QByteArray& folder, const QByteArray& name, const Picture& picture,
          std::vector<uchar>& scratch, const WriteFault& fault = WriteFault());

}  // namespace sequencepicture
