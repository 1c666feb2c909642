#pragma once
// The image type codes live with the metadata collections of the image object.
#include "extract/ImageTypes.h"
