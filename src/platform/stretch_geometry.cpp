#include "platform/stretch_geometry.h"

#include <numeric>

namespace plat {

NearestMap nearestMap(const Axis& a) {
  NearestMap m;
  int64_t lo, hi, ulo, uhi;
  a.destInside(lo, hi);
  a.sourceInside(ulo, uhi);
  if (lo >= hi || ulo >= uhi) return m;
  m.dest.reserve(hi - lo);
  m.source.reserve(hi - lo);
  const uint64_t S = a.S, twoD = 2 * static_cast<uint64_t>(a.D);
  for (int64_t i = lo; i < hi; ++i) {
    int64_t u = static_cast<int64_t>((2 * static_cast<uint64_t>(i) + 1) * S / twoD);
    if (u < ulo || u >= uhi) continue;
    m.dest.push_back(a.destAt(i));
    m.source.push_back(a.sourceAt(u));
  }
  return m;
}

AreaMap areaMap(const Axis& a) {
  AreaMap m;
  int64_t lo, hi, ulo, uhi;
  a.destInside(lo, hi);
  a.sourceInside(ulo, uhi);
  if (lo >= hi || ulo >= uhi) return m;
  const int64_t S = a.S, D = a.D, g = std::gcd(S, D);
  std::vector<int> dest;
  for (int64_t i = lo; i < hi; ++i) {
    // In units of 1/D pixel: destination i covers [i * S, (i + 1) * S), source u [u * D, ...).
    const int64_t begin = i * S, end = (i + 1) * S;
    const int64_t u0 = std::max(begin / D, ulo), u1 = std::min((end - 1) / D + 1, uhi);
    if (u0 >= u1) continue;
    const size_t at = m.weight.size();
    uint64_t sum = 0;
    for (int64_t u = u0; u < u1; ++u) {
      auto w = static_cast<uint32_t>((std::min(end, (u + 1) * D) - std::max(begin, u * D)) / g);
      m.weight.push_back(w);
      m.unitWeights = m.unitWeights && w == 1;
      sum += w;
    }
    if (a.sStep < 0) std::reverse(m.weight.begin() + at, m.weight.end());
    dest.push_back(a.destAt(i));
    m.lowest.push_back(std::min(a.sourceAt(u0), a.sourceAt(u1 - 1)));
    m.first.push_back(m.weight.size());
    m.total.push_back(sum);
    m.minTotal = std::min(m.minTotal, sum);
    m.maxTotal = std::max(m.maxTotal, sum);
  }
  if (dest.empty()) return m;
  m.dest0 = std::min(dest.front(), dest.back());
  if (a.dStep < 0) {  // walked right to left: turn the map round
    AreaMap r;
    r.dest0 = m.dest0;
    r.minTotal = m.minTotal;
    r.maxTotal = m.maxTotal;
    r.unitWeights = m.unitWeights;
    for (size_t k = m.size(); k-- > 0;) {
      r.lowest.push_back(m.lowest[k]);
      r.weight.insert(r.weight.end(), m.weight.begin() + m.first[k],
                      m.weight.begin() + m.first[k + 1]);
      r.first.push_back(r.weight.size());
      r.total.push_back(m.total[k]);
    }
    return r;
  }
  return m;
}

// Column maps are kept left to right so that rows are written in memory order.
void sortColumns(NearestMap& m) {
  if (m.dest.size() > 1 && m.dest.front() > m.dest.back()) {
    std::reverse(m.dest.begin(), m.dest.end());
    std::reverse(m.source.begin(), m.source.end());
  }
}

}  // namespace plat
