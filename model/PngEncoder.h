#pragma once

#include <QByteArray>
#include <QImage>

// Encodes `image` as a standard PNG: 8-bit RGB when every pixel is opaque, 8-bit RGBA
// otherwise. Rows are filtered with Up and compressed with a fast deflate, in independent
// pieces on every core, joined into one zlib stream. An empty result means the image could
// not be encoded (a null image, or no memory).
//
// `pieces` splits the work into that many parts (0: one per core); tests use it to exercise
// the joins on small images.
[[nodiscard]] QByteArray encodePng(const QImage &image, int pieces = 0);

// Lets go of the working buffers the encoder keeps for the next image (about three bytes a
// pixel of the largest image so far).
void releasePngBuffers();
