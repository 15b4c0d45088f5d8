# For testing frameworks that build an engine with make: EXE names the
# executable to produce, CXX the compiler. CMake does the building.
EXE ?= tavrin
CXX ?= g++
BUILD ?= build/make

.PHONY: all clean
all:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_CXX_COMPILER=$(CXX) >/dev/null
	cmake --build $(BUILD) --target tavrin -j
	mkdir -p $(dir $(EXE))
	cp $(BUILD)/tavrin $(EXE)

clean:
	rm -rf $(BUILD)
