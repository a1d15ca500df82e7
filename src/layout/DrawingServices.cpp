#include "layout/DrawingServices.h"

ComposerMarks* composer_marks = nullptr;
