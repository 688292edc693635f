#pragma once
// CutImageFrame: copies one frame of a 32-bit frame strip (frames laid out
// frames_per_row to a row, rows of frames one under the other) into a new
// one-frame record of its own.
//
// Owner: free function; the caller owns the out record. Thread: any.
// Hazards: the frame number is taken modulo the frame count, and rows the
// source's pixel buffer does not really hold stay zero in the copy.

#include <cstdint>

#include "engine/core/ImageRecord.h"

namespace engine {

/// Fills out with frame n of record: the source's width, height, colour key
/// and offsets, its flags without the delays flag, id 0, one frame, one
/// frame per row, no palette and no delays. Answers out, or null (out left
/// empty) when record is not a 32-bit image with frames or one frame's
/// bytes do not fit the record's 32-bit size.
ImageRecord* CutImageFrame(ImageRecord* out, const ImageRecord* record, uint32_t n);

} // namespace engine
