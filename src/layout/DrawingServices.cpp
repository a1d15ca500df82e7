#include "layout/DrawingServices.h"

CComposer* composer = nullptr;
