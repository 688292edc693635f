// The vector row kernels of the blitter written once for any vector width:
// the covered copy, the alpha blend, the tint and the fade, and the way every
// kernel draws the pixels of a row that do not fill a whole group.
//
// Not a header to include in the usual way: a kernel source includes it
// inside its instruction set's target region and inside an anonymous
// namespace, after defining the operations of its vectors (`Ops`, below), so
// that every function here is built for that set and stays in that file.
//
// Sse2Ops below is the 128-bit set every x86-64 processor has; the SSSE3
// kernels add the byte shuffle and multiply-add to it. Ops provides: the vector type V and N, the pixels in one; Load and Store
// (any alignment); LoadPart and StorePart of the first n < N pixels (nothing
// read or written past them; the lanes past n read as 0); Broadcast of 16
// bytes to every 128-bit lane; Set1_8/16/32, Zero; And, Or, Xor; CmpEq32,
// CmpGt32; Select(mask, a, b) (a where the lanes' mask is set); AllSet(v, m)
// (every bit of m set in v) and NoneSet(v, m) ((v & m) == 0); LaneBits of a
// 32-bit lane mask and ALL_LANES; and the byte and 16-bit arithmetic
// (Shuffle8, MaddUbs16, UnpackLo8, UnpackHi8, Add16, Srl16<k>, PackUs16,
// Srl32<k>, Sll32<k>, Mullo16, MaxU8, SubsU8).
//
// The blend weighs source and destination bytes in one multiply-add per
// 16-bit lane: weights a and 255 - a as unsigned bytes, the pixel bytes made
// signed by subtracting 128 (xor 0x80); adding back 128 * 255 gives exactly
// s * a + d * (255 - a), at most 65025, from which >> 8 is taken.
//
// A row's last pixels that do not fill a group are drawn as one group too:
// where the row holds at least one whole group, the group that ends at the
// row's end (its pixels read before the row is drawn, so that the pixels it
// shares with the last whole group are drawn again from the same values, to
// the same result); in a shorter row, a part group.

// The operations of 128-bit vectors that SSE2 has (every x86-64 processor).
struct Sse2Ops {
    using V = __m128i;
    static constexpr int32_t N = 4;
    static constexpr int ALL_LANES = 0xF;
    static V Load(const void* p) { return _mm_loadu_si128(static_cast<const V*>(p)); }
    static void Store(void* p, V v) { _mm_storeu_si128(static_cast<V*>(p), v); }
    static V LoadPart(const void* p, int32_t n)
    {
        const auto* bytes = static_cast<const uint8_t*>(p);
        int32_t last;
        std::memcpy(&last, bytes + size_t(n - 1) * 4, 4);
        if (n == 1)
            return _mm_cvtsi32_si128(last);
        const V low = _mm_loadl_epi64(static_cast<const V*>(p));
        return n == 2 ? low : _mm_unpacklo_epi64(low, _mm_cvtsi32_si128(last));
    }
    static void StorePart(void* p, V v, int32_t n)
    {
        auto* bytes = static_cast<uint8_t*>(p);
        if (n >= 2) {
            _mm_storel_epi64(static_cast<V*>(p), v);
            v = _mm_srli_si128(v, 8);
        }
        if (n != 2) {
            const int32_t last = _mm_cvtsi128_si32(v);
            std::memcpy(bytes + size_t(n - 1) * 4, &last, 4);
        }
    }
    static V Broadcast(__m128i v) { return v; }
    static V Set1_8(char v) { return _mm_set1_epi8(v); }
    static V Set1_16(short v) { return _mm_set1_epi16(v); }
    static V Set1_32(int v) { return _mm_set1_epi32(v); }
    static V Zero() { return _mm_setzero_si128(); }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V Xor(V a, V b) { return _mm_xor_si128(a, b); }
    static V CmpEq32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
    static V CmpGt32(V a, V b) { return _mm_cmpgt_epi32(a, b); }
    static V Select(V mask, V a, V b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
    static int LaneBits(V mask) { return _mm_movemask_ps(_mm_castsi128_ps(mask)); }
    static bool AllSet(V v, V m) { return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, m), m)) == 0xFFFF; }
    static bool NoneSet(V v, V m)
    {
        return _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, m), _mm_setzero_si128())) == 0xFFFF;
    }
    static V UnpackLo8(V a, V b) { return _mm_unpacklo_epi8(a, b); }
    static V UnpackHi8(V a, V b) { return _mm_unpackhi_epi8(a, b); }
    static V Add16(V a, V b) { return _mm_add_epi16(a, b); }
    template<int K>
    static V Srl16(V v) { return _mm_srli_epi16(v, K); }
    static V PackUs16(V a, V b) { return _mm_packus_epi16(a, b); }
    template<int K>
    static V Srl32(V v) { return _mm_srli_epi32(v, K); }
    template<int K>
    static V Sll32(V v) { return _mm_slli_epi32(v, K); }
    static V Mullo16(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V MaxU8(V a, V b) { return _mm_max_epu8(a, b); }
    static V SubsU8(V a, V b) { return _mm_subs_epu8(a, b); }
};

// The last group of a row of count pixels that does not divide into groups.
template<typename Ops>
class CRowTail {
public:
    using V = typename Ops::V;
    CRowTail(uint32_t* target, const uint8_t* source, int32_t count)
        : m_target(target)
    {
        m_rest = count > 0 ? count % Ops::N : 0;
        if (m_rest == 0)
            return;
        if (count >= Ops::N) {
            m_at = count - Ops::N;
            m_source = Ops::Load(source + size_t(m_at) * 4);
            m_destination = Ops::Load(target + m_at);
        } else {
            m_source = Ops::LoadPart(source, count);
            m_destination = Ops::LoadPart(target, count);
        }
        m_count = count;
    }
    // Draws the group: draw(s, d) gives the group's new pixels.
    template<typename Draw>
    void Finish(Draw&& draw) const
    {
        if (m_rest == 0)
            return;
        if (m_count >= Ops::N)
            Ops::Store(m_target + m_at, draw(m_source, m_destination));
        else
            Ops::StorePart(m_target, draw(m_source, m_destination), m_count);
    }
    [[nodiscard]] const V& Source() const { return m_source; }

private:
    uint32_t* m_target;
    int32_t m_rest { 0 };
    int32_t m_at { 0 };
    int32_t m_count { 0 };
    V m_source {};
    V m_destination {};
};

template<typename Ops>
struct Lanes {
    using V = typename Ops::V;
    static constexpr int32_t N = Ops::N;

    static V AlphaMask() { return Ops::Set1_32(int(0xFF000000u)); }

    // A plain copy (the library's memcpy takes rows of a few kilobytes by
    // string moves, which are slow on some processors).
    static void Copy(uint32_t* target, const uint8_t* source, int32_t count)
    {
        if (count < N) {
            if (count > 0)
                Ops::StorePart(target, Ops::LoadPart(source, count), count);
            return;
        }
        int32_t x = 0;
        for (; x + 4 * N <= count; x += 4 * N) {
            const V a = Ops::Load(source + size_t(x) * 4);
            const V b = Ops::Load(source + size_t(x + N) * 4);
            const V c = Ops::Load(source + size_t(x + 2 * N) * 4);
            const V d = Ops::Load(source + size_t(x + 3 * N) * 4);
            Ops::Store(target + x, a);
            Ops::Store(target + x + N, b);
            Ops::Store(target + x + 2 * N, c);
            Ops::Store(target + x + 3 * N, d);
        }
        for (; x + N <= count; x += N)
            Ops::Store(target + x, Ops::Load(source + size_t(x) * 4));
        if (x < count)
            Ops::Store(target + count - N, Ops::Load(source + size_t(count - N) * 4));
    }

    static V CoveredGroup(V s, V d)
    {
        const V clear = Ops::CmpEq32(Ops::And(s, AlphaMask()), Ops::Zero());
        return Ops::Select(clear, d, s);
    }

    static void CopyCovered(uint32_t* target, const uint8_t* source, int32_t count)
    {
        const CRowTail<Ops> tail(target, source, count);
        const V alpha_mask = AlphaMask();
        const V zero = Ops::Zero();
        for (int32_t x = 0; x + N <= count; x += N) {
            const V s = Ops::Load(source + size_t(x) * 4);
            const V clear = Ops::CmpEq32(Ops::And(s, alpha_mask), zero);
            // Runs of covered or of keyed pixels need not read the destination.
            const int clear_lanes = Ops::LaneBits(clear);
            if (clear_lanes == 0)
                Ops::Store(target + x, s);
            else if (clear_lanes != Ops::ALL_LANES)
                Ops::Store(target + x, Ops::Select(clear, Ops::Load(target + x), s));
        }
        tail.Finish(CoveredGroup);
    }

    // The weights of the pixels in the 16-bit lanes that the byte interleave
    // of source and destination gives: byte a, byte 255 - a.
    struct Weights {
        V low;
        V high;
    };

    // From a vector holding each pixel's a in byte `Byte` (0 or 3) of its lane.
    template<int Byte>
    static Weights WeightsOf(V a)
    {
        constexpr char L0 = Byte, L1 = Byte + 4, H0 = Byte + 8, H1 = Byte + 12;
        const V pick_low = Ops::Broadcast(_mm_setr_epi8(L0, L0, L0, L0, L0, L0, L0, L0, L1, L1, L1, L1, L1, L1, L1, L1));
        const V pick_high = Ops::Broadcast(_mm_setr_epi8(H0, H0, H0, H0, H0, H0, H0, H0, H1, H1, H1, H1, H1, H1, H1, H1));
        const V invert_odd = Ops::Set1_16(short(0xFF00));
        return Weights { Ops::Xor(Ops::Shuffle8(a, pick_low), invert_odd),
                         Ops::Xor(Ops::Shuffle8(a, pick_high), invert_odd) };
    }

    // (s * a + t * (255 - a)) >> 8 per byte; signed_t is t xor 0x80.
    static V MixBytes(V s, V signed_t, const Weights& w)
    {
        const V flip = Ops::Set1_8(char(0x80));
        const V bias = Ops::Set1_16(128 * 255);
        const V signed_s = Ops::Xor(s, flip);
        const V lo = Ops::MaddUbs16(w.low, Ops::UnpackLo8(signed_s, signed_t));
        const V hi = Ops::MaddUbs16(w.high, Ops::UnpackHi8(signed_s, signed_t));
        return Ops::PackUs16(Ops::template Srl16<8>(Ops::Add16(lo, bias)),
                             Ops::template Srl16<8>(Ops::Add16(hi, bias)));
    }

    // a = alpha * O >> 8 in byte 0 of each lane.
    static V ScaledAlpha(V s, V opacity)
    {
        return Ops::template Srl32<8>(Ops::Mullo16(Ops::template Srl32<24>(s), opacity));
    }

    // One group of the blend: s, d the source and destination pixels.
    template<bool Full>
    static V BlendGroup(V s, V d, V opacity_lanes)
    {
        const V alpha_mask = AlphaMask();
        const V colour_mask = Ops::Set1_32(0x00FFFFFF);
        const V flip = Ops::Set1_8(char(0x80));
        const V zero = Ops::Zero();
        V a_top;
        Weights w;
        if constexpr (Full) {
            a_top = Ops::And(s, alpha_mask);
            w = WeightsOf<3>(s);
        } else {
            const V a = ScaledAlpha(s, opacity_lanes);
            a_top = Ops::template Sll32<24>(a);
            w = WeightsOf<0>(a);
        }
        const V mixed = MixBytes(s, Ops::Xor(d, flip), w);
        const V src_clear = Ops::CmpEq32(Ops::And(s, alpha_mask), zero);
        V drawn;
        if (Ops::AllSet(d, alpha_mask)) [[likely]] {
            // An opaque destination (the usual back buffer) stays opaque.
            drawn = Ops::Or(mixed, alpha_mask);
        } else {
            // Over a clear destination the colour is the source's; the larger alpha stays.
            const V d_alpha = Ops::And(d, alpha_mask);
            const V colour = Ops::And(Ops::Select(Ops::CmpEq32(d_alpha, zero), s, mixed), colour_mask);
            drawn = Ops::Or(colour, Ops::MaxU8(d_alpha, a_top));
        }
        return Ops::Select(src_clear, d, drawn);
    }

    // Sprites have long runs of clear pixels (their margins) and of opaque
    // ones (their bodies): a run of groups that are all clear leaves the
    // destination, and at full opacity a run all opaque over an opaque
    // destination needs no weights (255 * s >> 8 is s - 1 per byte, and 0
    // stays 0). Groups with partial alphas are blended in runs without these
    // tests: a group found so is blended alone, and each one found right
    // after a run makes the next run 16 times longer. A sprite's soft rim
    // costs one group, and an image of partial alphas all over pays the tests
    // a few times a row.
    template<bool Full>
    [[gnu::always_inline]] static void BlendRow(uint32_t* target, const uint8_t* source, int32_t count,
                                                uint32_t opacity)
    {
        const CRowTail<Ops> tail(target, source, count);
        const V alpha_mask = AlphaMask();
        const V opacity_lanes = Ops::Set1_32(int(opacity));
        const V one = Ops::Set1_8(1);
        const int32_t groups_end = count - count % N;
        int32_t x = 0;
        int32_t run = N;
        while (x < groups_end) {
            const V s = Ops::Load(source + size_t(x) * 4);
            const V d = Ops::Load(target + x);
            if (Full && Ops::AllSet(Ops::And(s, d), alpha_mask)) {
                Ops::Store(target + x, Ops::Or(Ops::SubsU8(s, one), alpha_mask));
                // Then two groups at a time while both stay so.
                for (x += N; x + 2 * N <= groups_end; x += 2 * N) {
                    const V s0 = Ops::Load(source + size_t(x) * 4);
                    const V s1 = Ops::Load(source + size_t(x + N) * 4);
                    const V both = Ops::And(Ops::And(s0, Ops::Load(target + x)),
                                            Ops::And(s1, Ops::Load(target + x + N)));
                    if (!Ops::AllSet(both, alpha_mask))
                        break;
                    Ops::Store(target + x, Ops::Or(Ops::SubsU8(s0, one), alpha_mask));
                    Ops::Store(target + x + N, Ops::Or(Ops::SubsU8(s1, one), alpha_mask));
                }
                run = N;
                continue;
            }
            if (Ops::NoneSet(s, alpha_mask)) {
                x += N;
                while (x < groups_end && Ops::NoneSet(Ops::Load(source + size_t(x) * 4), alpha_mask))
                    x += N;
                run = N;
                continue;
            }
            Ops::Store(target + x, BlendGroup<Full>(s, d, opacity_lanes));
            const int32_t run_end = std::min(x + run, groups_end);
            run = std::min(run * 16, 1 << 16);
            for (x += N; x < run_end; x += N)
                Ops::Store(target + x,
                           BlendGroup<Full>(Ops::Load(source + size_t(x) * 4), Ops::Load(target + x), opacity_lanes));
        }
        tail.Finish([&](V s, V d) { return BlendGroup<Full>(s, d, opacity_lanes); });
    }

    // The rows of a draw in one call. A card's row is short (71 pixels: a
    // partial group at each end around a few opaque ones), so a call per row
    // (through the table, the kernel's entry and exit, the path's own work
    // per row) cost about a sixth of the draw; BlendRow is built into this
    // loop.
    static void BlendRows(uint32_t* target, size_t target_pitch, const uint8_t* source, size_t source_pitch,
                          int32_t count, int32_t rows, uint32_t opacity)
    {
        for (int32_t row = 0; row < rows; ++row, target += target_pitch, source += source_pitch * 4) {
            if (opacity == 256)
                BlendRow<true>(target, source, count, opacity);
            else
                BlendRow<false>(target, source, count, opacity);
        }
    }

    static void Blend(uint32_t* target, const uint8_t* source, int32_t count, uint32_t opacity)
    {
        BlendRows(target, 0, source, 0, count, 1, opacity);
    }

    static void Tint(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule)
    {
        const CRowTail<Ops> tail(target, source, count);
        const V alpha_mask = AlphaMask();
        const V signed_tint = Ops::Xor(Ops::Set1_32(int(rule.tint_bgr)), Ops::Set1_8(char(0x80)));
        const V threshold = Ops::Set1_32(int(rule.threshold));
        const V opacity_lanes = Ops::Set1_32(int(rule.opacity_byte));
        const auto group = [&](V s, V d) {
            const V drawn = Ops::CmpGt32(Ops::template Srl32<24>(s), threshold);
            const Weights w = rule.full ? WeightsOf<3>(s) : WeightsOf<0>(ScaledAlpha(s, opacity_lanes));
            const V tinted = Ops::Or(MixBytes(s, signed_tint, w), alpha_mask);
            return Ops::Select(drawn, tinted, d);
        };
        for (int32_t x = 0; x + N <= count; x += N)
            Ops::Store(target + x, group(Ops::Load(source + size_t(x) * 4), Ops::Load(target + x)));
        tail.Finish(group);
    }

    static void Fade(uint32_t* target, const uint8_t* source, int32_t count, const BlendRule& rule)
    {
        const CRowTail<Ops> tail(target, source, count);
        const V alpha_mask = AlphaMask();
        const V flip = Ops::Set1_8(char(0x80));
        const V signed_tint = Ops::Xor(Ops::Set1_32(int(rule.tint_bgr)), flip);
        // Covered: alpha above the threshold with a tint, else alpha above 0.
        const V threshold = Ops::Set1_32(rule.has_tint ? int(rule.threshold) : 0);
        // One weight pair for every pixel: the opacity byte and 255 minus it.
        const V weight = Ops::Set1_16(short(rule.opacity_byte | (255 - rule.opacity_byte) << 8));
        const Weights w { weight, weight };
        const auto group = [&](V s, V d) {
            const V drawn = Ops::CmpGt32(Ops::template Srl32<24>(s), threshold);
            const V faded = Ops::Or(MixBytes(s, rule.has_tint ? signed_tint : Ops::Xor(d, flip), w), alpha_mask);
            return Ops::Select(drawn, faded, d);
        };
        for (int32_t x = 0; x + N <= count; x += N)
            Ops::Store(target + x, group(Ops::Load(source + size_t(x) * 4), Ops::Load(target + x)));
        tail.Finish(group);
    }
};
