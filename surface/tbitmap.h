#pragma once

#include <QImage>
#include <QString>

#include <stdexcept>

// A module whose embedded resources can be loaded by name: the program's own
// module keeps its bitmaps in the resource folder ":/bitmaps".
struct TModule {
    QString bitmapFolder;
};
using HINSTANCE = const TModule*;

// The program's own module. Tests point it elsewhere to make a load fail.
extern HINSTANCE HInstance;

// Raised when a bitmap resource is missing or cannot be read.
class EResNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TBitmap {
public:
    TBitmap() { ++alive_; }
    ~TBitmap() { --alive_; }
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // How many bitmaps exist: the program holds at most one diagram at a time.
    static int Alive() { return alive_; }

    // Loads the bitmap resource `name` of `instance`; resource names compare
    // without case. Throws EResNotFound, naming the resource, when it is
    // missing or unreadable; the bitmap is then left as it was.
    void LoadFromResourceName(HINSTANCE instance, const QString& name);

    // When set, Draw skips the pixels of the bitmap's bottom-left pixel colour.
    bool Transparent = false;

    bool Empty() const { return image_.isNull(); }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    const QImage& image() const { return image_; }

    // The image as Draw copies it: with the transparent colour made fully
    // transparent when Transparent is set.
    const QImage& drawable() const;

private:
    QImage image_;
    QImage masked_;  // image_ without the pixels of its bottom-left colour
    static inline int alive_ = 0;
};
