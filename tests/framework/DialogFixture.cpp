#include "DialogFixture.h"

#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <vector>

void DialogFixture::snapshot(const std::string& name)
{
    // Everything is painted now, whatever input waits before the paint requests.
    for (short i = 1; win_array && i <= win_array->total(); i++) {
        CPanel* w = (CPanel*)win_array->get(i);
        w->update();
        for (short k = 1; k <= w->children.total(); k++) ((CPanel*)w->children.get(k))->update();
    }
    pump_paints();
    const platform::Point size = wm->screen_size();
    std::vector<uint32_t> pixels((size_t)size.x * size.y, 0xFF000000u);
    platform::PixelBuffer screen{size.x, size.y, size.x * 4, pixels.data()};
    wm->compose(screen, {0, 0, size.x, size.y});
    auto s = platform::Surface::over_pixels(pixels.data(), size.x, size.y, size.x * 4);
    ASSERT_TRUE(s->write_png(std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name));
}
