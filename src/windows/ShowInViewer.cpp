// Kept apart from the viewer itself: this is the one place where the viewer meets the image object.
#include "image/ZetImage.h"
#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"

namespace kelmarin {

void ShowInViewer(ZetImage& image, const QString& caption, std::int32_t width, std::int32_t height,
                  QWidget* owner) {
  if (width <= 0 || height <= 0) return;
  BildViewer* viewer = Viewer(owner);
  BildPicture& picture = viewer->Prepare(caption, width, height);
  image.show(picture);
  viewer->Present();
}

}  // namespace kelmarin
