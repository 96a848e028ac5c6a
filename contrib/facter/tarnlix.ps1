# Facter external fact for Windows: the machine's SMBIOS inventory as the
# structured fact "tarnlix" (facter tarnlix.PC.0.PCSERIAL, Puppet's
# $facts['tarnlix']). Install it in C:\ProgramData\PuppetLabs\facter\facts.d\.
#
# TARNLIX_BIN names the tool (default: tarnlix.exe in Program Files\tarnlix);
# TARNLIX_FROM reads a saved table instead of the machine's own.
$tool = if ($env:TARNLIX_BIN) { $env:TARNLIX_BIN } else { "$env:ProgramFiles\tarnlix\tarnlix.exe" }
$arguments = @('/JSON')
if ($env:TARNLIX_FROM) { $arguments += "/FROM:$env:TARNLIX_FROM" }
# tarnlix writes UTF-8: read it as such, not in the console's code page.
[Console]::OutputEncoding = [System.Text.Encoding]::UTF8
$document = & $tool @arguments 2>$null
if ($LASTEXITCODE -eq 0 -and $document) {
    Write-Output ('{"tarnlix": ' + ($document -join "`n") + '}')
} else {
    # A host whose table cannot be read gives no fact rather than a broken one.
    Write-Output '{}'
}
