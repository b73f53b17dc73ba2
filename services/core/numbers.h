#pragma once
// Numeric helpers with the exact rounding and remainder rules callers use.
#include <concepts>
#include <cstdint>
#include <initializer_list>

// a modulo each divisor in turn (sign of a); a divisor 0 is a fatal error.
double Remainder(double a, std::initializer_list<double> divisors);
template <std::convertible_to<double>... More>
double Remainder(double a, double b, More... more) {
    return Remainder(a, {b, static_cast<double>(more)...});
}

std::int32_t BitAnd(std::initializer_list<std::int32_t> values);
std::int32_t BitOr(std::initializer_list<std::int32_t> values);
// Arithmetic shift by n modulo 32 (the sign bit is copied).
std::int32_t ShiftRight(std::int32_t x, int n);
// Half away from zero; negative places round to tens, hundreds and so on.
double RoundTo(double x, int places = 0);
double Exp(double x);
constexpr std::int32_t MakeRgb(int red, int green, int blue) { return red + green * 256 + blue * 65536; }
