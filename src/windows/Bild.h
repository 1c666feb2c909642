#pragma once
// The image viewer window "Bild": the image at one screen pixel per image pixel inside the frame
// "Bild_rahmen", with scroll bars and panning by dragging. One instance, created on first use.

#include <QString>
#include <QWidget>
#include <cstdint>

namespace kelmarin {

class ZetImage;

// True while the viewer window is open; the file list then shows each newly selected image there too.
extern bool viewer_open;

class BildViewer;

// The viewer, created (hidden) on first call. The owner only parents it for lifetime.
BildViewer* Viewer(QWidget* owner = nullptr);

// Caption, picture box moved to (0, 0) and sized to the image's picture as it stands (upright) in
// pixels, the image drawn by image.show into it, window shown (not modal) and sized to the picture.
// An image without pixels (its read failed) shows the caption alone and no picture.
void ShowInViewer(ZetImage& image, const QString& caption, QWidget* owner = nullptr);

// The viewer (created if needed) shown with the name as its caption and no picture: a file that
// could not be decoded.
void ShowNameInViewer(const QString& name, QWidget* owner = nullptr);

// Closes and destroys the viewer if it exists (creating none); viewer_open is then false.
void UnloadViewer();

// The viewer's caption for an image: name + " - " + width + "x" + height + " Pixel".
QString ViewerCaption(const QString& name, std::int32_t width, std::int32_t height);

}  // namespace kelmarin
