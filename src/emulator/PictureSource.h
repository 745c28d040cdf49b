#pragma once

#include <string>

#include "emulator/CompositeSignal.h"
#include "emulator/TestPicture.h"

// One source of a moving test picture: the picture and its ready-made
// waveform. Stations and the camera are picture sources.
class PictureSource {
public:
    PictureSource(std::string name, TestPicture::Pattern pattern, uint32_t speed)
        : picture_(std::move(name), pattern, speed), signal_(picture_) {}
    PictureSource(const PictureSource&) = delete;
    PictureSource& operator=(const PictureSource&) = delete;

    const std::string& Name() const { return picture_.Name(); }
    CompositeSignal& Signal() { return signal_; }
    const CompositeSignal& Signal() const { return signal_; }

private:
    TestPicture picture_;
    CompositeSignal signal_;
};
