#pragma once
// A value-axis range the user fixed for one charted quantity (slot order of the chart).

#include <functional>

struct UserRange
{
    bool enabled = false;
    float min = 0;
    float max = 0;
};

using UserRangeSource = std::function<UserRange(int slot)>;
