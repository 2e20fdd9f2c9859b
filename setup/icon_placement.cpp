#include "setup/icon_placement.h"

POINT centredIconOrigin(const RECT& client, int iconWidth, int iconHeight) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    POINT origin;
    origin.x = (width - iconWidth + 1) / 2;
    origin.y = (height - iconHeight + 1) / 2;
    return origin;
}
