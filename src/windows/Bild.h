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

// Caption, picture box moved to (0, 0) and sized width x height pixels, image drawn by
// image.show into it, window shown (not modal). The image must have been loaded successfully.
// Width or height not above 0 (a failed read): nothing happens, an open viewer keeps its image.
void ShowInViewer(ZetImage& image, const QString& caption, std::int32_t width, std::int32_t height,
                  QWidget* owner = nullptr);

// Closes and destroys the viewer if it exists (creating none); viewer_open is then false.
void UnloadViewer();

// The viewer's caption for an image: name + " - " + width + "x" + height + " Pixel".
QString ViewerCaption(const QString& name, std::int32_t width, std::int32_t height);

}  // namespace kelmarin
