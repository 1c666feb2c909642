// Kept apart from the viewer itself: this is the one place where the viewer meets the image object.
#include "image/ZetImage.h"
#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"

namespace kelmarin {

void ShowInViewer(ZetImage& image, const QString& caption, QWidget* owner) {
  BildViewer* viewer = Viewer(owner);
  const RgbImage& picture = image.pixels();
  if (picture.isNull()) {
    viewer->PresentEmpty(caption);
    return;
  }
  BildPicture& box = viewer->Prepare(caption, picture.width(), picture.height());
  image.show(box);
  viewer->Present();
}

void ShowNameInViewer(const QString& name, QWidget* owner) {
  Viewer(owner)->PresentEmpty(name);
}

}  // namespace kelmarin
