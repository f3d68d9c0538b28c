#include "mapsdk/VIZSearchResults.h"

void VIZLine::setPointsCount(int count)
{
    _points.resize(count > 0 ? static_cast<size_t>(count) : 0);
}

int VIZRoute::getPointsNum(int index) const
{
    return index >= 0 && index < pointsCount() ? static_cast<int>(_parts[static_cast<size_t>(index)].size()) : 0;
}

const VIZMapPoint* VIZRoute::getPoints(int index) const
{
    if (index < 0 || index >= pointsCount()) return nullptr;
    const std::vector<VIZMapPoint>& part = _parts[static_cast<size_t>(index)];
    return part.empty() ? nullptr : part.data();
}

void VIZRoute::setPointsCount(int count)
{
    if (count <= 0) return;
    _parts.assign(static_cast<size_t>(count), {});
}

void VIZRoute::setPoints(std::vector<VIZMapPoint> points, int index)
{
    if (index >= 0 && index < pointsCount()) _parts[static_cast<size_t>(index)] = std::move(points);
}
