#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tests/faults/fault_cell.h"

// A fault that means nothing for an exchange, and why.
struct LeftOutCell {
    EFault fault;
    EExchange exchange;
    std::string reason;
};

// Every cell of the matrix, exchange by exchange.
const std::vector<FaultCell>& FaultMatrix();
std::vector<FaultCell> CellsOf(EExchange exchange);
const std::vector<LeftOutCell>& LeftOutCells();

// The CTest name of the cell's test.
std::string TestNameOf(const FaultCell& cell);
// What the user has in front of them after the cell, besides the boxes.
std::string WhatUserSees(const FaultCell& cell);
std::string LineAfterText(const FaultCell& cell);

// The matrix as tab-separated lines for the reliability report:
//   cell <test> <fault> <exchange> <messages> <user sees> <line afterwards>
//   left-out <fault> <exchange> <reason>
// Messages are "<number> <text>" joined by " / "; texts come from the
// resource library, which must be loaded.
void WriteMatrixTable(std::ostream& out);
