# Facter external fact for Windows: the machine's SMBIOS inventory as the
# structured fact "tarnlix" (facter tarnlix.PC.0.PCSERIAL, Puppet's
# $facts['tarnlix']). Install it in C:\ProgramData\PuppetLabs\facter\facts.d\.
#
# Where a baseline table exists (TARNLIX_BASELINE, default
# tarnlix\baseline.bin in ProgramData, which the textfile writer keeps), the
# fact also holds what changed since: tarnlix.DIFF, the /DIFF: document.
#
# TARNLIX_BIN names the tool (default: tarnlix.exe in Program Files\tarnlix);
# TARNLIX_FROM reads a saved table instead of the machine's own.
$tool = if ($env:TARNLIX_BIN) { $env:TARNLIX_BIN } else { "$env:ProgramFiles\tarnlix\tarnlix.exe" }
$baseline = if ($null -ne $env:TARNLIX_BASELINE) { $env:TARNLIX_BASELINE } else { "$env:ProgramData\tarnlix\baseline.bin" }
$arguments = @('/JSON')
if ($env:TARNLIX_FROM) { $arguments += "/FROM:$env:TARNLIX_FROM" }
# tarnlix writes UTF-8: read it as such, not in the console's code page.
[Console]::OutputEncoding = [System.Text.Encoding]::UTF8
$document = & $tool @arguments 2>$null
if ($LASTEXITCODE -ne 0 -or -not $document) {
    # A host whose table cannot be read gives no fact rather than a broken one.
    Write-Output '{}'
    exit 0
}
$document = $document -join "`n"
if ($baseline -and (Test-Path -LiteralPath $baseline)) {
    $changes = & $tool @arguments "/DIFF:$baseline" 2>$null
    # 0: nothing changed, 8: something did; the document closes the object.
    if ($LASTEXITCODE -eq 0 -or $LASTEXITCODE -eq 8) {
        $document = $document.Substring(0, $document.LastIndexOf('}')) +
            ",`n  `"DIFF`": " + ($changes -join "`n") + "`n}"
    }
}
Write-Output ('{"tarnlix": ' + $document + '}')
