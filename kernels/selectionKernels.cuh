// Per-point bodies of the selection tests (see kernels/selection.h). Each
// writes only its own point's flag. The comparison and the id search come
// from filters/selectionCompare.h, shared with the condition parser.
// Included by ztNodes.cu inside each backend's namespace.

// Colour thinning: the point's colour value c, from the per-point array or
// interpolated from the vertex colours of its triangle corners, against a
// uniform random number r; the flag becomes r < c (it is overwritten, not
// combined).
ZT_HD inline void computeSelection(ElementIndex i, std::uint8_t* visible, bool hasColor,
                                   const float* inColor, bool hasVertexColor, const float* colors,
                                   const unsigned int* triIds, const float* uvs,
                                   const unsigned int* samplesTriID, const float* randomNumbers,
                                   unsigned int randomsNumber, unsigned int samplesCount) {
    if (i >= samplesCount) return;
    float c = 0.0f;
    if (hasColor) c = inColor[i];
    if (hasVertexColor) {
        const unsigned int t = samplesTriID[i];
        const float u = uvs[2u * i];
        const float v = uvs[2u * i + 1u];
        const float c0 = colors[triIds[3u * t]];
        const float c1 = colors[triIds[3u * t + 1u]];
        const float c2 = colors[triIds[3u * t + 2u]];
        c = ((c0 - u * c0) - v * c0) + u * c1 + v * c2;
    }
    const float r = randomNumbers[i % randomsNumber];
    visible[i] = r < c ? 1 : 0;
}

// A float point id to unsigned by truncation, saturating like the GPU's
// conversion: negative values and NaN give 0, values past the range the
// largest id.
ZT_HD inline unsigned int idFromFloat(float value) {
    if (!(value > 0.0f)) return 0u;
    if (value >= 4294967296.0f) return 0xFFFFFFFFu;
    return static_cast<unsigned int>(value);
}

// Conditions: every comparison must hold (the first that fails clears the
// flag); then a point whose id is in the sorted list is selected again.
ZT_HD inline void checkConditions(ElementIndex i, const float* const* attributes,
                                  const unsigned int* firstOperand, const unsigned short* operation,
                                  const unsigned short* secondOperandType,
                                  const int* secondOperandInt, const float* secondOperandFloat,
                                  std::uint8_t* visible, unsigned int numOp, unsigned int numIds,
                                  unsigned int pointIdPosition, const unsigned int* idToAdd,
                                  unsigned int samplesCount) {
    if (i >= samplesCount) return;
    for (unsigned int k = 0; k < numOp; ++k) {
        const float a = attributes[firstOperand[k]][i];
        float b;
        if (secondOperandType[k] == selection::kIntConstant) {
            b = static_cast<float>(secondOperandInt[k]);
        } else if (secondOperandType[k] == selection::kFloatConstant) {
            b = secondOperandFloat[k];
        } else {
            b = attributes[secondOperandInt[k]][i];
        }
        if (!selection::compareValues(operation[k], a, b)) {
            visible[i] = 0;
            break;
        }
    }
    if (numIds > 0) {
        const unsigned int id = idFromFloat(attributes[pointIdPosition][i]);
        if (selection::findId(idToAdd, numIds, id)) visible[i] = 1;
    }
}

// Facing: cleared when range + dot(direction, normal) < 0.
ZT_HD inline void checkDotProduct(ElementIndex i, const float* normal, std::uint8_t* visible,
                                  float dotRange, float a, float b, float c,
                                  unsigned int samplesCount) {
    if (i >= samplesCount) return;
    const float d = a * normal[3u * i] + b * normal[3u * i + 1u] + c * normal[3u * i + 2u];
    if (dotRange + d < 0.0f) visible[i] = 0;
}
