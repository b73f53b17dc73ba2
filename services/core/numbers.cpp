#include "services/core/numbers.h"

#include <cmath>

#include "frame/core/fatal.h"

double Remainder(double a, std::initializer_list<double> divisors) {
    for (double b : divisors) {
        if (b == 0) ReportFatalError("不能求余数于零", 0, 0, 0);
        a = std::fmod(a, b);
    }
    return a;
}

std::int32_t BitAnd(std::initializer_list<std::int32_t> values) {
    std::uint32_t result = ~0u;
    for (std::int32_t v : values) result &= static_cast<std::uint32_t>(v);
    return static_cast<std::int32_t>(result);
}

std::int32_t BitOr(std::initializer_list<std::int32_t> values) {
    std::uint32_t result = 0;
    for (std::int32_t v : values) result |= static_cast<std::uint32_t>(v);
    return static_cast<std::int32_t>(result);
}

std::int32_t ShiftRight(std::int32_t x, int n) { return x >> (static_cast<unsigned>(n) & 31u); }

double RoundTo(double x, int places) {
    if (x == 0) return 0;
    double m = std::pow(10.0, std::abs(places));
    double magnitude = std::fabs(x);
    double scaled = places > 0 ? magnitude * m : places < 0 ? magnitude / m : magnitude;
    double whole = 0;
    double fraction = std::modf(scaled + 1e-12, &whole);
    if (fraction >= 0.5) whole += 1;
    double result = places > 0 ? whole / m : places < 0 ? whole * m : whole;
    return x < 0 ? -result : result;
}

double Exp(double x) { return std::exp(x); }
