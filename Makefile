# The two entry points. Both install what they need (Debian packages, the zh_CN locale) first.
.PHONY: run test build clean run-uninstaller

# Build everything, assemble the test medium and start the installer from it under Wine.
run:
	@bash scripts/run.sh

# The uninstaller's demo: VNTAdminUninstall.exe on the sample package of uninstall/sample/.
run-uninstaller:
	@bash scripts/run-uninstaller.sh

# Every test of every floor; ends with one summary line "Total: N passed, N failed, N skipped".
test:
	@bash scripts/test.sh

build:
	@bash scripts/build.sh

clean:
	rm -rf build
