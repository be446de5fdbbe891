// Only here to build the precompiled test header.
