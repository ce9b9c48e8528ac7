# make run    install what is missing, build, start Velmora
# make test   install what is missing, build, run every test
# make build  build only (BUILD_DIR, BUILD_TYPE and JOBS may be overridden)

BUILD_DIR  ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)

.PHONY: all build build-deps test-deps configure run test format clean

all: build

build-deps:
	@scripts/install-deps.sh build

test-deps:
	@scripts/install-deps.sh test

configure:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	  -DVELMORA_WERROR=ON -DVELMORA_BUILD_TESTS=$(if $(WITH_TESTS),ON,OFF)

build: build-deps
	$(MAKE) --no-print-directory configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/velmora

test: test-deps
	$(MAKE) --no-print-directory configure WITH_TESTS=1
	cmake --build $(BUILD_DIR) -j $(JOBS)
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
