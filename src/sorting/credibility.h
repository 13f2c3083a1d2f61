#ifndef VIDO_SORTING_CREDIBILITY_H_
#define VIDO_SORTING_CREDIBILITY_H_

#include <vector>

#include "model/workspace.h"

namespace vido {

// The outranking credibility of action a_i against profile b_h is
//   sigma(i, h) = D(i, h) * sum_j k_j * c_j(i, h),
// linear in the weights. Every function reads its numbers from the tables at the
// moment of the call (a cell that does not convert throws CommandError).
// Indices are 1-based: criterion j, profile h, action i (its AGrid row).

// c_j in [0, 1]: how far the action, with performance x on g_j, is at least as good
// as profile b_h.
double PartialConcordance(const Workspace& ws, int j, int h, double x);

// d_j in [0, 1]: how strongly g_j opposes the outranking of b_h.
double PartialDiscordance(const Workspace& ws, int j, int h, double x);

// D = 1 - max_j d_j; criteria after the one that brings D to 0 are not read.
double NonDiscordanceFactor(const Workspace& ws, int i, int h);

// The coefficients c_j(a_i, b_h) * D(a_i, b_h) of k_1..k_n, at indices 0..n-1.
// Performances are read before D, in criterion order.
std::vector<double> CredibilityCoefficients(const Workspace& ws, int i, int h);

// sigma(i, h) for the weights k_1..k_n (weights[0] is k_1).
double Credibility(const std::vector<double>& coefficients, const std::vector<double>& weights);

}  // namespace vido

#endif  // VIDO_SORTING_CREDIBILITY_H_
