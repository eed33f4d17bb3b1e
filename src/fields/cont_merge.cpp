// cont_merge.cpp: the filled bands of a drawing as traced regions.
//
// Cell contouring makes one small polygon per band and cell.  Here the pieces of one band are
// gathered as directed edges, every piece turned counter-clockwise; an edge two neighbouring
// pieces share appears once in each direction and cancels, so what is left is the outline of
// the band's region: outer rings counter-clockwise, holes clockwise.  Whole cells of one band
// whose neighbour across a side is a whole cell of the same band give no edge on that side at
// all, so a large even area costs only its outline.  Each hole is joined to the ring just above
// it by a bridge drawn up from its top point through the band (there and back), so that every
// outer ring with its holes is one fill area that any fill rule draws the same.
#include "cont_internal.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace {

using Edge = ContEdge;

bool same(const Gpt &p, const Gpt &q) { return p.x == q.x && p.y == q.y; }
bool before(const Gpt &p, const Gpt &q) { return p.x < q.x || (p.x == q.x && p.y < q.y); }

double signed_area(int n, const Gpt *p)
{
    double a = 0;
    for (int i = 0; i + 1 < n; i++)
        a += static_cast<double>(p[i].x) * p[i + 1].y - static_cast<double>(p[i + 1].x) * p[i].y;
    a += static_cast<double>(p[n - 1].x) * p[0].y - static_cast<double>(p[0].x) * p[n - 1].y;
    return a / 2;
}

bool finite_points(int n, const Gpt *p)
{
    for (int i = 0; i < n; i++)
        if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return false;
    return true;
}

/// Edges left when every pair of opposite edges has cancelled.
void cancel(std::vector<Edge> &edges)
{
    struct Key {
        Gpt lo, hi;
        int dir;
    };
    std::vector<Key> keys;
    keys.reserve(edges.size());
    for (const Edge &e : edges) {
        if (before(e.a, e.b)) keys.push_back({e.a, e.b, 1});
        else keys.push_back({e.b, e.a, -1});
    }
    std::sort(keys.begin(), keys.end(), [](const Key &u, const Key &v) {
        if (!same(u.lo, v.lo)) return before(u.lo, v.lo);
        return before(u.hi, v.hi);
    });
    edges.clear();
    for (size_t i = 0; i < keys.size();) {
        size_t j = i;
        int net = 0;
        while (j < keys.size() && same(keys[j].lo, keys[i].lo) && same(keys[j].hi, keys[i].hi))
            net += keys[j++].dir;
        for (; net > 0; net--) edges.push_back({keys[i].lo, keys[i].hi});
        for (; net < 0; net++) edges.push_back({keys[i].hi, keys[i].lo});
        i = j;
    }
}

/// Drops the points lying on the straight line between their neighbours.
void straighten(std::vector<Gpt> &ring)
{
    if (ring.size() < 4) return;
    std::vector<Gpt> out;
    out.reserve(ring.size());
    const size_t n = ring.size();
    for (size_t i = 0; i < n; i++) {
        const Gpt &p = out.empty() ? ring[n - 1] : out.back();
        const Gpt &q = ring[i], &r = ring[(i + 1) % n];
        const double cross = (static_cast<double>(q.x) - p.x) * (static_cast<double>(r.y) - q.y) -
                             (static_cast<double>(q.y) - p.y) * (static_cast<double>(r.x) - q.x);
        if (cross != 0) out.push_back(q);
    }
    if (out.size() >= 3) ring.swap(out);
}

/// The closed rings of balanced edges (each point left as often as entered).
std::vector<std::vector<Gpt>> link(std::vector<Edge> &edges)
{
    std::sort(edges.begin(), edges.end(), [](const Edge &u, const Edge &v) { return before(u.a, v.a); });
    std::vector<char> used(edges.size(), 0);
    std::vector<std::vector<Gpt>> rings;
    for (size_t s = 0; s < edges.size(); s++) {
        if (used[s]) continue;
        std::vector<Gpt> ring;
        size_t e = s;
        for (;;) {
            used[e] = 1;
            ring.push_back(edges[e].a);
            const Gpt at = edges[e].b;
            if (same(at, edges[s].a)) break;
            auto it = std::lower_bound(edges.begin(), edges.end(), at,
                                       [](const Edge &u, const Gpt &p) { return before(u.a, p); });
            size_t k = static_cast<size_t>(it - edges.begin());
            while (k < edges.size() && same(edges[k].a, at) && used[k]) k++;
            if (k >= edges.size() || !same(edges[k].a, at)) break;  // unbalanced: left open
            e = k;
        }
        straighten(ring);
        if (ring.size() >= 3) rings.push_back(std::move(ring));
    }
    return rings;
}

/// A hole joined to a ring: at point x on the ring's edge from point `at`, a bridge to the
/// hole's top point.
struct Join {
    size_t at;
    double along;
    Gpt x;
    size_t hole;
};

/// Fill areas of rings: every outer ring with its holes bridged in.
class Outline {
public:
    explicit Outline(std::vector<std::vector<Gpt>> rings) : rings_(std::move(rings)) {}

    template <class Emit> void draw(Emit emit)
    {
        const size_t n = rings_.size();
        area_.resize(n);
        for (size_t r = 0; r < n; r++)
            area_[r] = signed_area(static_cast<int>(rings_[r].size()), rings_[r].data());
        joins_.assign(n, {});
        top_.assign(n, 0);
        index();
        for (size_t r = 0; r < n; r++)
            if (area_[r] < 0) join(r);
        for (auto &j : joins_)
            std::sort(j.begin(), j.end(), [](const Join &u, const Join &v) {
                return u.at != v.at ? u.at < v.at : u.along < v.along;
            });
        done_.assign(n, 0);
        std::vector<Gpt> out;
        for (size_t r = 0; r < n; r++) {
            if (area_[r] <= 0) continue;
            out.clear();
            walk(r, 0, out);
            out.push_back(out.front());
            emit(out);
        }
    }

private:
    std::vector<std::vector<Gpt>> rings_;
    std::vector<double> area_;
    std::vector<std::vector<Join>> joins_;
    std::vector<size_t> top_;
    std::vector<char> done_;
    // Edges by column band of x: (ring, edge start).
    float x0_ = 0, width_ = 1;
    std::vector<std::vector<std::pair<size_t, size_t>>> cols_;

    size_t column(float x) const
    {
        const double c = (static_cast<double>(x) - x0_) / width_;
        if (!(c > 0)) return 0;
        return std::min(cols_.size() - 1, static_cast<size_t>(c));
    }

    void index()
    {
        float lo = INFINITY, hi = -INFINITY;
        size_t count = 0;
        for (const auto &r : rings_) {
            for (const Gpt &p : r) {
                lo = std::min(lo, p.x);
                hi = std::max(hi, p.x);
            }
            count += r.size();
        }
        bool holes = false;
        for (double a : area_) holes = holes || a < 0;
        if (!holes) return;
        const size_t ncol = std::max<size_t>(1, std::min<size_t>(count / 8 + 1, 65536));
        x0_ = lo;
        width_ = hi > lo ? static_cast<float>((static_cast<double>(hi) - lo) / ncol) : 1.0f;
        if (!(width_ > 0)) width_ = 1;
        cols_.assign(ncol, {});
        for (size_t r = 0; r < rings_.size(); r++) {
            const auto &ring = rings_[r];
            for (size_t i = 0; i < ring.size(); i++) {
                const Gpt &a = ring[i], &b = ring[(i + 1) % ring.size()];
                const size_t c0 = column(std::min(a.x, b.x)), c1 = column(std::max(a.x, b.x));
                for (size_t c = c0; c <= c1; c++) cols_[c].push_back({r, i});
            }
        }
    }

    /// Joins hole h to the nearest ring edge straight above its top point.
    void join(size_t h)
    {
        const auto &hole = rings_[h];
        size_t t = 0;
        for (size_t i = 1; i < hole.size(); i++)
            if (hole[i].y > hole[t].y || (hole[i].y == hole[t].y && hole[i].x > hole[t].x)) t = i;
        top_[h] = t;
        const Gpt p = hole[t];
        double best = INFINITY;
        Join j{};
        size_t target = rings_.size();
        for (const auto &[r, i] : cols_[column(p.x)]) {
            if (r == h) continue;
            const auto &ring = rings_[r];
            const Gpt &a = ring[i], &b = ring[(i + 1) % ring.size()];
            if ((a.x <= p.x) == (b.x <= p.x)) continue;
            const double f = (static_cast<double>(p.x) - a.x) / (static_cast<double>(b.x) - a.x);
            const double y = a.y + f * (static_cast<double>(b.y) - a.y);
            if (y < p.y || y >= best) continue;
            best = y;
            target = r;
            j = Join{i, f, Gpt{p.x, static_cast<float>(y)}, h};
        }
        if (target < rings_.size()) joins_[target].push_back(j);
    }

    /// The points of ring r from its point `from` round to it again, holes bridged in.
    void walk(size_t r, size_t from, std::vector<Gpt> &out)
    {
        done_[r] = 1;
        const auto &ring = rings_[r];
        const auto &joins = joins_[r];
        for (size_t step = 0; step < ring.size(); step++) {
            const size_t i = (from + step) % ring.size();
            out.push_back(ring[i]);
            auto lo = std::lower_bound(joins.begin(), joins.end(), i,
                                       [](const Join &j, size_t at) { return j.at < at; });
            for (auto it = lo; it != joins.end() && it->at == i; ++it) {
                if (done_[it->hole]) continue;
                out.push_back(it->x);
                walk(it->hole, top_[it->hole], out);
                out.push_back(rings_[it->hole][top_[it->hole]]);
                out.push_back(it->x);
            }
        }
    }
};

}  // namespace

void ContMerge::clear()
{
    bands_.clear();
    above_.clear();
    row_.clear();
}

void ContMerge::add(Band &band, int n, const Gpt *p, bool reverse)
{
    for (int i = 0; i < n; i++) {
        const Gpt &a = p[i], &b = p[(i + 1) % n];
        if (same(a, b)) continue;
        band.edges.push_back(reverse ? ContEdge{b, a} : ContEdge{a, b});
    }
}

ContMerge::Band &ContMerge::band(int k, int off, float upper)
{
    Band &b = bands_[k];
    b.off = off;
    b.upper = upper;
    return b;
}

bool ContMerge::piece(int k, int off, float upper, int n, const Gpt *p)
{
    if (n > 1 && same(p[0], p[n - 1])) n--;
    if (n < 3 || !finite_points(n, p) || !cont_gate_plain(n, p)) return false;
    const double a = signed_area(n, p);
    if (a == 0) return false;
    add(band(k, off, upper), n, p, a < 0);
    return true;
}

bool ContMerge::whole(int i, int k, int off, float upper, const Gpt corner[4])
{
    // Counter-clockwise in index space: corners 0, 1, 3, 2.
    const Gpt ring[4] = {corner[0], corner[1], corner[3], corner[2]};
    if (!finite_points(4, ring) || !cont_gate_plain(4, ring)) return false;
    const double a = signed_area(4, ring);
    if (a == 0) return false;
    band(k, off, upper);
    if (static_cast<size_t>(i) >= row_.size()) row_.resize(static_cast<size_t>(i) + 1);
    Whole &w = row_[static_cast<size_t>(i)];
    w.k = k;
    w.turn = a > 0 ? 1 : -1;
    for (int q = 0; q < 4; q++) w.p[q] = ring[q];
    return true;
}

void ContMerge::side(const Whole &w, int s)
{
    // Sides of the ring 0, 1, 3, 2: 0 bottom, 1 right, 2 top, 3 left.
    Band &b = bands_[w.k];
    const Gpt &a = w.p[s], &c = w.p[(s + 1) % 4];
    if (same(a, c)) return;
    b.edges.push_back(w.turn > 0 ? ContEdge{a, c} : ContEdge{c, a});
}

void ContMerge::end_row()
{
    auto match = [](const std::vector<Whole> &r, size_t i, const Whole &w) {
        return i < r.size() && r[i].k == w.k && r[i].turn == w.turn && w.k != NONE;
    };
    for (size_t i = 0; i < row_.size(); i++) {
        const Whole &w = row_[i];
        if (w.k == NONE) continue;
        if (i == 0 || !match(row_, i - 1, w)) side(w, 3);
        if (!match(row_, i + 1, w)) side(w, 1);
        if (!match(above_, i, w)) side(w, 2);
    }
    for (size_t i = 0; i < above_.size(); i++) {
        const Whole &w = above_[i];
        if (w.k != NONE && !match(row_, i, w)) side(w, 0);
    }
    above_.swap(row_);
    row_.assign(above_.size(), Whole{});
}

void ContMerge::flush(ContState &st, int type)
{
    end_row();
    end_row();
    for (auto &[k, band] : bands_) {
        // A band whose colour is "none" is not drawn, as the drawing gate does with pieces.
        const int ent = band.off >= 0 && band.off <= CONT_LEVELS ? band.off : 0;
        if (st.fill_attrib[ent].color == CLR_NONE) continue;
        std::vector<Edge> edges;
        edges.swap(band.edges);
        cancel(edges);
        if (edges.empty()) continue;
        Outline outline(link(edges));
        edges.clear();
        edges.shrink_to_fit();
        st.con_off = band.off;
        cont_band_attribs(st, band.off, band.off, band.upper, type, 0);
        outline.draw([](const std::vector<Gpt> &pts) {
            gfill_area(static_cast<Gint>(pts.size()), pts.data());
        });
    }
    clear();
}
