#include <gtest/gtest.h>

#include "engine/core/pictures/PictureTestSupport.h"
