#pragma once
// What kind of host object a reference holds. Damaged scene data can offer anything as a
// reference, so the plug-in checks the super class before it casts.

#include <imtl.h>
#include <iparamb2.h>

/// The target as a texture map; null for null or any other kind of object.
inline Texmap* AsTexmap(ReferenceTarget* target) {
    return target && target->SuperClassID() == TEXMAP_CLASS_ID ? static_cast<Texmap*>(target)
                                                               : nullptr;
}

/// The target as a parameter block; null for null or any other kind of object.
inline IParamBlock2* AsParamBlock(ReferenceTarget* target) {
    return target && target->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID
               ? static_cast<IParamBlock2*>(target)
               : nullptr;
}
