#pragma once

#include "GraphFont.h"
#include "GraphStream.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

namespace graphfile {

// One key of a section of the graph settings stream. Its writer and its
// reader are made together, from one getter and one setter, so the two
// directions cannot disagree on the key, the property or the kind of value.
// A section is a table of these: written in table order, read in stream order.
template <typename T> struct TGraphFileKey {
    int key;
    std::function<void(TGraphWriter&, int key, const T&)> write; // empty: only read
    // held: what an earlier key of the same section left for a later one
    std::function<void(TGraphReader&, T&, int& held)> read;
};

template <typename T> using TGraphFileKeys = std::vector<TGraphFileKey<T>>;

// The kind a value is filed as: integers of any width as "I".
template <typename V>
using Filed =
    std::conditional_t<std::is_integral_v<V> && !std::is_same_v<V, bool>, std::int32_t, V>;

template <typename K> K ReadAs(TGraphReader& r) {
    if constexpr (std::is_same_v<K, bool>)
        return r.ReadAsBoolean();
    else if constexpr (std::is_same_v<K, std::int32_t>)
        return r.ReadAsInteger();
    else if constexpr (std::is_same_v<K, double>)
        return r.ReadAsFloat();
    else if constexpr (std::is_same_v<K, QString>)
        return r.ReadAsText();
    else {
        static_assert(std::is_same_v<K, TGraphFont>);
        return r.ReadAsFont();
    }
}

// A key filed as the kind get returns. get is a member function or member;
// set a member function, or a function of (T&, value) or (T&, value, held)
// for a setter with rules of its own.
template <typename T, typename Get, typename Set> TGraphFileKey<T> Key(int key, Get get, Set set) {
    using V = std::remove_cvref_t<std::invoke_result_t<Get, const T&>>;
    static_assert(!std::is_enum_v<V>, "an enumeration is filed by Enum, which checks its range");
    using K = Filed<V>;
    return {key,
            [get](TGraphWriter& w, int k, const T& o) {
                w.WriteEntry(k, static_cast<K>(std::invoke(get, o)));
            },
            [set](TGraphReader& r, T& o, int& held) {
                const auto v = static_cast<V>(ReadAs<K>(r));
                if constexpr (std::is_invocable_v<Set, T&, V, int&>)
                    std::invoke(set, o, v, held);
                else
                    std::invoke(set, o, v);
            }};
}

// A plain member, without a setter.
template <typename T, typename V> TGraphFileKey<T> Field(int key, V T::*field) {
    return Key<T>(key, field, [field](T& o, const V& v) { o.*field = v; });
}

inline int ReadEnum(TGraphReader& r, int last) {
    const int v = r.ReadAsInteger();
    if (v < 0 || v > last) throw EGraphStreamError("Invalid property value");
    return v;
}

// An enumeration, filed as its number; a number outside 0..last is refused.
template <typename T, typename E>
TGraphFileKey<T> Enum(int key, E (T::*get)() const, void (T::*set)(E), E last) {
    return {
        key,
        [get](TGraphWriter& w, int k, const T& o) {
            w.WriteEntry(k, static_cast<std::int32_t>((o.*get)()));
        },
        [set, last](TGraphReader& r, T& o, int&) { (o.*set)(static_cast<E>(ReadEnum(r, last))); }};
}

// A key that older streams may hold, read but never written.
template <typename T> TGraphFileKey<T> ReadOnly(TGraphFileKey<T> key) {
    key.write = nullptr;
    return key;
}

// The section's entries, without its header and end.
template <typename T> void WriteKeys(TGraphWriter& w, const T& o, const TGraphFileKeys<T>& keys) {
    for (const TGraphFileKey<T>& k : keys)
        if (k.write) k.write(w, k.key, o);
}

// Entries up to and including key 0, each set as it comes; a key not in the
// table (the section header 99 too) is skipped by its type letter.
template <typename T> void ReadKeys(TGraphReader& r, T& o, const TGraphFileKeys<T>& keys) {
    int held = 0;
    for (;;) {
        int key = 0;
        char letter = 0;
        r.ReadTag(key, letter);
        if (key == 0) {
            r.SkipValue();
            return;
        }
        const auto k = std::ranges::find(keys, key, &TGraphFileKey<T>::key);
        if (k == keys.end())
            r.SkipValue();
        else
            k->read(r, o, held);
    }
}

} // namespace graphfile
